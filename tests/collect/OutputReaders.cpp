// Reading the collector's outputs back, independently of its writers.
#include "tests/collect/OutputReaders.h"

#include <QFile>
#include <QXmlStreamReader>
#include <zlib.h>

#if CSR_WITH_READSTAT
#include <readstat.h>
#endif

namespace OutputReaders {

QString unescapeHtml(QString text)
{
    return text.replace(QLatin1String("&quot;"), QLatin1String("\""))
        .replace(QLatin1String("&lt;"), QLatin1String("<"))
        .replace(QLatin1String("&gt;"), QLatin1String(">"))
        .replace(QLatin1String("&amp;"), QLatin1String("&"));
}

bool parseCsv(const QByteArray &bytes, QList<QStringList> &rows)
{
    rows.clear();
    if (!bytes.startsWith("\xEF\xBB\xBF"))
        return false;
    const QByteArray text = bytes.mid(3);
    QStringList row;
    QByteArray field;
    qsizetype i = 0;
    while (i < text.size()) {
        if (text[i] == '"') {
            ++i;
            for (;;) {
                if (i >= text.size())
                    return false;
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += text[i++];
            }
        } else {
            while (i < text.size() && text[i] != ',' && text[i] != '\r' && text[i] != '\n') {
                if (text[i] == '"')
                    return false;
                field += text[i++];
            }
        }
        row << QString::fromUtf8(field);
        field.clear();
        if (i < text.size() && text[i] == ',') {
            ++i;
            continue;
        }
        if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') {
            rows << row;
            row.clear();
            i += 2;
            continue;
        }
        return false;
    }
    return row.isEmpty();
}

namespace {

// Little-endian numbers of a zip file's records.
quint64 le(const QByteArray &bytes, qsizetype at, int size)
{
    quint64 value = 0;
    if (at < 0 || at + size > bytes.size())
        return 0;
    for (int i = size; i-- > 0;)
        value = (value << 8) | uchar(bytes[at + i]);
    return value;
}

// One member of a zip file (a workbook is one), read here rather than by a
// tool, so that it reads the same on every system: the central directory
// (zip64 too, as the collector writes large workbooks), then the member,
// stored or deflated. Empty when anything does not fit.
QByteArray unzip(const QString &path, const QString &member)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray zip = file.readAll();
    const qsizetype end = zip.lastIndexOf(QByteArray("PK\x05\x06", 4));
    if (end < 0)
        return {};
    quint64 directory = le(zip, end + 16, 4);
    quint64 entries = le(zip, end + 10, 2);
    const qsizetype locator = end - 20;
    if (locator >= 0 && le(zip, locator, 4) == 0x07064b50) {
        const qsizetype end64 = qsizetype(le(zip, locator + 8, 8));
        if (le(zip, end64, 4) == 0x06064b50) {
            entries = le(zip, end64 + 32, 8);
            directory = le(zip, end64 + 48, 8);
        }
    }
    qsizetype at = qsizetype(directory);
    for (quint64 n = 0; n < entries && le(zip, at, 4) == 0x02014b50; ++n) {
        const int method = int(le(zip, at + 10, 2));
        quint64 packed = le(zip, at + 20, 4), size = le(zip, at + 24, 4), local = le(zip, at + 42, 4);
        const int nameLength = int(le(zip, at + 28, 2)), extraLength = int(le(zip, at + 30, 2));
        const int commentLength = int(le(zip, at + 32, 2));
        const QByteArray name = zip.mid(at + 46, nameLength);
        // A zip64 field holds, in order, each size or offset that did not fit.
        for (qsizetype x = at + 46 + nameLength; x + 4 <= at + 46 + nameLength + extraLength;) {
            const quint64 id = le(zip, x, 2), length = le(zip, x + 2, 2);
            if (id == 1) {
                qsizetype field = x + 4;
                for (quint64 *value : {&size, &packed, &local}) {
                    if (*value == 0xFFFFFFFF) {
                        *value = le(zip, field, 8);
                        field += 8;
                    }
                }
            }
            x += 4 + qsizetype(length);
        }
        at += 46 + nameLength + extraLength + commentLength;
        if (name != member.toUtf8())
            continue;
        const qsizetype data = qsizetype(local) + 30 + qsizetype(le(zip, qsizetype(local) + 26, 2)) +
                               qsizetype(le(zip, qsizetype(local) + 28, 2));
        const QByteArray stored = zip.mid(data, qsizetype(packed));
        if (method == 0)
            return stored;
        if (method != 8)
            return {};
        QByteArray out(qsizetype(size), Qt::Uninitialized);
        z_stream stream{};
        if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
            return {};
        stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(stored.constData()));
        stream.avail_in = uInt(stored.size());
        stream.next_out = reinterpret_cast<Bytef *>(out.data());
        stream.avail_out = uInt(out.size());
        const int result = inflate(&stream, Z_FINISH);
        inflateEnd(&stream);
        return result == Z_STREAM_END && stream.total_out == size ? out : QByteArray();
    }
    return {};
}

// "AB12" as (11, 27).
QPair<int, int> position(QStringView reference)
{
    int column = 0;
    qsizetype i = 0;
    while (i < reference.size() && reference[i].isLetter())
        column = column * 26 + (reference[i++].unicode() - 'A' + 1);
    return {reference.mid(i).toInt() - 1, column - 1};
}

// Text inside an element, with <t> runs joined (rich text has several).
QString innerText(QXmlStreamReader &xml)
{
    QString text;
    const QStringView end = xml.name();
    const QString endName = end.toString();
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("t"))
            text += xml.readElementText(QXmlStreamReader::IncludeChildElements);
        else if (xml.isEndElement() && xml.name() == endName)
            break;
    }
    return text;
}

// The number format of each cell style, by the style's index.
QStringList numberFormats(const QString &path)
{
    QHash<QString, QString> codes{{"0", "General"},  {"1", "0"},  {"2", "0.00"},  {"3", "#,##0"},
                                  {"4", "#,##0.00"}, {"9", "0%"}, {"10", "0.00%"}};
    QStringList formats;
    bool inCellStyles = false;
    QXmlStreamReader xml(unzip(path, QStringLiteral("xl/styles.xml")));
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.name() == QLatin1String("cellXfs"))
            inCellStyles = xml.isStartElement();
        if (!xml.isStartElement())
            continue;
        const QString id = xml.attributes().value(QStringLiteral("numFmtId")).toString();
        if (xml.name() == QLatin1String("numFmt"))
            codes.insert(id, xml.attributes().value(QStringLiteral("formatCode")).toString());
        else if (xml.name() == QLatin1String("xf") && inCellStyles)
            formats << codes.value(id, id);
    }
    return formats;
}

} // namespace

QList<Sheet> readXlsx(const QString &path)
{
    QList<Sheet> sheets;
    const QStringList formats = numberFormats(path);
    QStringList shared;
    {
        QXmlStreamReader xml(unzip(path, QStringLiteral("xl/sharedStrings.xml")));
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == QLatin1String("si"))
                shared << innerText(xml);
        }
    }
    QXmlStreamReader book(unzip(path, QStringLiteral("xl/workbook.xml")));
    while (!book.atEnd()) {
        book.readNext();
        if (book.isStartElement() && book.name() == QLatin1String("sheet")) {
            Sheet sheet;
            sheet.name = book.attributes().value(QStringLiteral("name")).toString();
            sheets << sheet;
        }
    }
    for (qsizetype s = 0; s < sheets.size(); ++s) {
        // Notes: libxlsxwriter numbers the note files of the sheets that have them in sheet order.
        QXmlStreamReader notes(unzip(path, QStringLiteral("xl/comments%1.xml").arg(s + 1)));
        while (!notes.atEnd()) {
            notes.readNext();
            if (notes.isStartElement() && notes.name() == QLatin1String("comment")) {
                const QPair<int, int> at = position(notes.attributes().value(QStringLiteral("ref")));
                sheets[s].notes.insert(at, innerText(notes));
            }
        }
        QXmlStreamReader xml(unzip(path, QStringLiteral("xl/worksheets/sheet%1.xml").arg(s + 1)));
        while (!xml.atEnd()) {
            xml.readNext();
            if (!xml.isStartElement())
                continue;
            if (xml.name() == QLatin1String("pane") &&
                xml.attributes().value(QStringLiteral("state")) == QLatin1String("frozen")) {
                sheets[s].frozenRows = xml.attributes().value(QStringLiteral("ySplit")).toInt();
                sheets[s].frozenColumns = xml.attributes().value(QStringLiteral("xSplit")).toInt();
            }
            if (xml.name() == QLatin1String("autoFilter"))
                sheets[s].autoFilter = xml.attributes().value(QStringLiteral("ref")).toString();
            if (xml.name() == QLatin1String("hyperlink"))
                sheets[s].links.insert(position(xml.attributes().value(QStringLiteral("ref"))),
                                       xml.attributes().value(QStringLiteral("location")).toString());
            if (xml.name() != QLatin1String("c"))
                continue;
            const QPair<int, int> at = position(xml.attributes().value(QStringLiteral("r")));
            const QString type = xml.attributes().value(QStringLiteral("t")).toString();
            Cell cell;
            cell.format = formats.value(xml.attributes().value(QStringLiteral("s")).toInt(), QStringLiteral("General"));
            QString value;
            while (!xml.atEnd()) {
                xml.readNext();
                if (xml.isStartElement() && xml.name() == QLatin1String("v"))
                    value = xml.readElementText();
                else if (xml.isStartElement() && xml.name() == QLatin1String("is"))
                    value = innerText(xml);
                else if (xml.isEndElement() && xml.name() == QLatin1String("c"))
                    break;
            }
            if (type == QLatin1String("s"))
                cell.text = shared.value(value.toInt());
            else
                cell.text = value;
            cell.number = type.isEmpty() || type == QLatin1String("n");
            sheets[s].cells.insert(at, cell);
        }
    }
    return sheets;
}

#if CSR_WITH_READSTAT
namespace {

QString measureName(readstat_measure_t measure)
{
    switch (measure) {
    case READSTAT_MEASURE_NOMINAL:
        return QStringLiteral("nominal");
    case READSTAT_MEASURE_ORDINAL:
        return QStringLiteral("ordinal");
    case READSTAT_MEASURE_SCALE:
        return QStringLiteral("scale");
    default:
        return {};
    }
}

int onMetadata(readstat_metadata_t *metadata, void *context)
{
    static_cast<StatFile *>(context)->fileLabel = QString::fromUtf8(readstat_get_file_label(metadata));
    return READSTAT_HANDLER_OK;
}

int onVariable(int index, readstat_variable_t *variable, const char *labelSet, void *context)
{
    auto *file = static_cast<StatFile *>(context);
    StatVariable v;
    v.name = QString::fromUtf8(readstat_variable_get_name(variable));
    v.label = QString::fromUtf8(readstat_variable_get_label(variable));
    v.isString = readstat_variable_get_type_class(variable) == READSTAT_TYPE_CLASS_STRING;
    v.labelSet = labelSet ? QString::fromUtf8(labelSet) : QString();
    v.storageWidth = int(readstat_variable_get_storage_width(variable));
    // ReadStat gives a strL as a string of no fixed width.
    v.isStrL = v.isString && v.storageWidth == 0;
    v.format = QString::fromUtf8(readstat_variable_get_format(variable));
    v.measure = measureName(readstat_variable_get_measure(variable));
    v.displayWidth = readstat_variable_get_display_width(variable);
    for (int i = 0; i < readstat_variable_get_missing_ranges_count(variable); ++i)
        v.missing << readstat_double_value(readstat_variable_get_missing_range_lo(variable, i));
    if (file->variables.size() != index)
        return READSTAT_HANDLER_ABORT;
    file->variables << v;
    return READSTAT_HANDLER_OK;
}

int onValue(int row, readstat_variable_t *variable, readstat_value_t value, void *context)
{
    auto *file = static_cast<StatFile *>(context);
    while (file->rows.size() <= row)
        file->rows.append(QList<QVariant>(file->variables.size()));
    QVariant cell;
    if (readstat_value_type(value) == READSTAT_TYPE_STRING) {
        cell = QString::fromUtf8(readstat_string_value(value));
    } else if (readstat_value_is_tagged_missing(value)) {
        cell = QChar(QLatin1Char(readstat_value_tag(value)));
    } else if (!readstat_value_is_system_missing(value)) {
        cell = readstat_double_value(value);
    }
    file->rows[row][readstat_variable_get_index(variable)] = cell;
    return READSTAT_HANDLER_OK;
}

int onValueLabel(const char *labelSet, readstat_value_t value, const char *label, void *context)
{
    auto *file = static_cast<StatFile *>(context);
    const int key =
        readstat_value_is_tagged_missing(value) ? -int(readstat_value_tag(value)) : int(readstat_double_value(value));
    file->labelSets[QString::fromUtf8(labelSet)].insert(key, QString::fromUtf8(label));
    return READSTAT_HANDLER_OK;
}

} // namespace

StatFile readStat(const QString &path, const QString &format)
{
    StatFile file;
    readstat_parser_t *parser = readstat_parser_init();
    readstat_set_metadata_handler(parser, onMetadata);
    readstat_set_variable_handler(parser, onVariable);
    readstat_set_value_handler(parser, onValue);
    readstat_set_value_label_handler(parser, onValueLabel);
    // ReadStat takes a path in UTF-8 on Windows, and as the system's bytes
    // elsewhere: UTF-8 too where the tests run (LANG=C.UTF-8).
    const QByteArray native = path.toUtf8();
    const readstat_error_t error = format == QLatin1String("sav")
                                       ? readstat_parse_sav(parser, native.constData(), &file)
                                       : readstat_parse_dta(parser, native.constData(), &file);
    readstat_parser_free(parser);
    file.ok = error == READSTAT_OK;
    if (!file.ok)
        file.error = QString::fromUtf8(readstat_error_message(error));
    return file;
}
#else
StatFile readStat(const QString &, const QString &)
{
    StatFile file;
    file.error = QStringLiteral("ReadStat is not in this build");
    return file;
}
#endif

bool spssAndStataBuiltIn()
{
#if CSR_WITH_READSTAT
    return true;
#else
    return false;
#endif
}

QString statExtension(const QString &format)
{
    if (spssAndStataBuiltIn())
        return format;
    return format == QLatin1String("sav") ? QStringLiteral("sps") : QStringLiteral("do");
}

} // namespace OutputReaders
