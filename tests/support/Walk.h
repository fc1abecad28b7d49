// Going through the pages as a person does who changes nothing on the way:
// "开始填报", "下一步" on every page and tab, then "保存退出".
#pragma once

#include <QString>

class ModalBoxes;
class Shell;

namespace Walk {

// Walks from the page on screen (the intro page, or any later one) to the
// save and answers the saved-as message. Returns the saved file's path, or an
// empty one when the save did not end the run.
QString toTheSave(Shell &shell, ModalBoxes &boxes);

// The path the last box named as the saved file ("填报结果保存为:" and the path).
QString savedPath(const ModalBoxes &boxes);

} // namespace Walk
