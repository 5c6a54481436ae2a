#include "FormLayout.h"

#include <cmath>

namespace tessary {

namespace {

// Slot n's box: two rows of fifteen, 360 twips apart; slots 22-27 stand 7 twips right.
FormLayout::Box slotBox(int n)
{
    const int k = (n - 1) % 15 + 1;
    const bool shifted = n >= 22 && n <= 27;
    return {98 + 360 * (k - 1) + (shifted ? 7 : 0), n <= 15 ? 150 : 420, 375, 285};
}

// The code beneath slot n: 330 twips apart, so that neighbours overlap by 15.
FormLayout::Box codeBox(int n)
{
    return {300 + 330 * ((n - 1) % 15), n <= 15 ? 1470 : 1680, 345, 225};
}

} // namespace

const std::vector<FormLayout::Control>& FormLayout::controls()
{
    static const std::vector<Control> all = [] {
        std::vector<Control> c = {
            {"Clear", {120, 960, 735, 285}},      {"Typespeak", {2115, 930, 1395, 315}},
            {"Copy", {4770, 960, 735, 285}},      {"Rate", {870, 2340, 405, 285}},
            {"Speak", {2235, 2310, 1155, 435}},   {"Picture1", {2670, 2370, 255, 195}},
            {"Emulate", {4260, 2250, 1245, 315}}, {"Hardware", {4260, 2490, 1005, 315}},
        };
        for (int n = 1; n <= 30; ++n)
            c.push_back({QString("Text%1").arg(n), slotBox(n)});
        for (int n = 1; n <= 30; ++n)
            c.push_back({QString("Label%1").arg(69 + n), codeBox(n)});
        return c;
    }();
    return all;
}

FormLayout::Box FormLayout::box(const QString& name)
{
    for (const Control& c : controls()) {
        if (c.name == name)
            return c.box;
    }
    return {0, 0, 0, 0};
}

QPoint FormLayout::auditionAt(int k)
{
    return {kAuditionLefts[(k - 1) / 16], kAuditionTops[(k - 1) % 16]};
}

int FormLayout::px(int twips)
{
    return static_cast<int>(std::lround(twips / 15.0));
}

QRect FormLayout::pixels(const Box& b)
{
    return QRect(QPoint(px(b.left), px(b.top)),
                 QPoint(px(b.left + b.width) - 1, px(b.top + b.height) - 1));
}

} // namespace tessary
