#pragma once

#include <QProxyStyle>

namespace tessary {

// The desktop's style for the window's option buttons and check box, with the gap between the
// indicator and the caption no wider than the original's: their boxes are fixed, and a style
// with a wide gap (Fusion's 6 px) would cut the last letter of "Hardware".
class OptionStyle : public QProxyStyle
{
    Q_OBJECT

public:
    static constexpr int kMostLabelSpacing = 3;

    OptionStyle();
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
};

} // namespace tessary
