#pragma once

#include <QRect>
#include <QString>

#include <vector>

namespace tessary {

// Form1 as the original lays it out, in twips (15 to a pixel at 96 dpi): the one table the
// window builds from and its test checks the window against.
class FormLayout
{
public:
    struct Box
    {
        int left, top, width, height;
    };
    struct Control
    {
        QString name; // the control's objectName
        Box box;
    };

    static constexpr int kClientWidth = 5625;
    static constexpr int kClientHeight = 6810;
    // The two white lines across the form, at these heights, from left of the form to past it.
    static constexpr int kLineTops[2] = {2100, 2910};
    static constexpr int kLineLeft = -30, kLineRight = 6180;
    // The 64 audition labels stand in four columns of sixteen; each is as wide as its caption
    // and kAuditionHeight high. Label65, "Speed", is one more.
    static constexpr int kAuditionLefts[4] = {120, 1695, 3105, 4560};
    static constexpr int kAuditionTops[16] = {3120, 3330, 3555, 3765, 3990, 4200, 4410, 4635,
                                              4845, 5070, 5280, 5490, 5715, 5925, 6150, 6360};
    static constexpr int kAuditionHeight = 195;
    static constexpr int kSpeedLeft = 300, kSpeedTop = 2370;

    // Every control with a box of its own: the buttons, the options, Rate, Picture1, the 30
    // slots (Text1..Text30) and their code labels (Label70..Label99).
    static const std::vector<Control>& controls();
    static Box box(const QString& name);
    // Label k's top-left corner, k 1..64.
    static QPoint auditionAt(int k);

    // Edges are rounded, not sizes, so that neighbours that share an edge in twips share it
    // in pixels too.
    static int px(int twips);
    static QRect pixels(const Box& box);
};

} // namespace tessary
