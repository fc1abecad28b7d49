// Where the controls of the two profile pages stand: one place for each item
// of a page's content table, in the table's order.
#pragma once

#include <span>

namespace ProfileLayout {

// In pixels within the group box (or the page, for headings, group boxes and
// buttons). y is the top of a 22-pixel row in which the widget is centred. A
// width of 0 sizes the widget to its text; only group boxes and buttons have
// a height.
struct Place {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
};

std::span<const Place> basicInformation();
std::span<const Place> foundation();

} // namespace ProfileLayout
