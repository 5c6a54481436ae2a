#include "OptionStyle.h"

#include <QApplication>
#include <QStyleFactory>

#include <algorithm>

namespace tessary {

OptionStyle::OptionStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

int OptionStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                             const QWidget* widget) const
{
    const int base = QProxyStyle::pixelMetric(metric, option, widget);
    if (metric == PM_RadioButtonLabelSpacing || metric == PM_CheckBoxLabelSpacing)
        return std::min(base, kMostLabelSpacing);
    return base;
}

} // namespace tessary
