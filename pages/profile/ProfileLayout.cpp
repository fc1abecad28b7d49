// The places of the profile pages' controls, kept apart from their content so
// that the survey's definition holds no pixels.
#include "pages/profile/ProfileLayout.h"

namespace ProfileLayout {

namespace {

// Industry buttons and position boxes stand in three columns, filled row by row.
constexpr int columnX(int n)
{
    constexpr int columns[] = {10, 270, 513};
    return columns[(n - 1) % 3];
}
constexpr int rowY(int n)
{
    return 22 + ((n - 1) / 3) * 22;
}
constexpr Place grid(int n)
{
    return {.x = columnX(n), .y = rowY(n)};
}

// clang-format off
// One line for each row on screen.
constexpr Place kBasicInformation[] = {
    {16, 8}, // the heading

    {8, 40, 739, 138}, // the enterprise
    {16, 24}, {82, 24, 240}, {326, 24}, {380, 24}, {446, 24, 270},            // name with its mark, address
    {16, 52}, {82, 52, 200}, {288, 52}, {380, 52}, {446, 52, 200}, {652, 52}, // capital and assets, with their units
    {16, 80}, {82, 80, 160}, {380, 80}, {446, 80, 160},                       // type, age
    {16, 108}, {124, 108}, {184, 108},                                        // listed: the question, yes, no

    {8, 184, 739, 182}, // the industries
    grid(1), grid(2), grid(3),
    grid(4), grid(5), grid(6),
    grid(7), grid(8), grid(9),
    grid(10), grid(11), grid(12),
    grid(13), grid(14), grid(15),
    grid(16), grid(17), grid(18),
    grid(19), {148, rowY(19), 220}, // the other industry and the field naming it

    {8, 372, 739, 74}, // the entrepreneur's positions
    grid(1), grid(2), grid(3),
    grid(4), grid(5), grid(6),

    {634, 452, 113, 35}, // next
};

constexpr Place kFoundation[] = {
    {16, 8}, // the heading

    {8, 40, 739, 112}, // the foundation
    {16, 24}, {296, 24}, {356, 24},                                     // the question, yes, no
    {16, 52}, {150, 52, 300},                                           // name
    {16, 80}, {66, 80, 110}, {182, 80}, {240, 80}, {304, 80, 110}, {420, 80},
    {480, 80}, {560, 80, 120},                                          // amount and capital with their units, year

    {8, 158, 739, 52}, // the CSR department
    {16, 22}, {250, 22}, {484, 22},

    {8, 216, 739, 168}, // the CSR report
    {16, 24}, {214, 24}, {274, 24},                                     // the question, yes, no
    {16, 52}, {206, 52, 170}, {396, 52}, {500, 52, 220},                // basis, channel
    {16, 80}, {250, 80}, {306, 80}, {396, 80}, {602, 80}, {658, 80},    // audited, shortcomings: question, yes, no each
    {16, 108}, {96, 108, 120},                                          // length
    {16, 136}, {150, 136, 120}, {396, 136}, {500, 136, 80}, {586, 136}, // first year, count with its unit

    {634, 406, 113, 35}, {512, 406, 113, 35}, // next, back
};
// clang-format on

} // namespace

std::span<const Place> basicInformation()
{
    return kBasicInformation;
}

std::span<const Place> foundation()
{
    return kFoundation;
}

} // namespace ProfileLayout
