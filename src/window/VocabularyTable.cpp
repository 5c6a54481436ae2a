#include "VocabularyTable.h"

#include "catalogue/AllophoneTable.h"
#include "catalogue/ChipDurations.h"
#include "composer/CodeFormat.h"

#include <QHeaderView>

#include <algorithm>
#include <array>
#include <cmath>

namespace tessary {

namespace {

QString toQt(const std::string& s)
{
    return QString::fromStdString(s);
}

QString joined(const std::vector<std::string>& words)
{
    QStringList out;
    for (const std::string& w : words)
        out << toQt(w);
    return out.join(' ');
}

} // namespace

VocabularyTable::VocabularyTable(QWidget* parent) : QTableWidget(0, 4, parent)
{
    setObjectName("vocabularyEntries");
    setAccessibleName("Entries");
    setHorizontalHeaderLabels({"Name", "Text or allophones", "On the chip", "Codes"});
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Columns the user can resize, each no wider than its share at first: a long name is
    // elided, whole in its tooltip, rather than pushing the others out of view.
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setStretchLastSection(false);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            [this] { m_userSized = m_userSized || !m_fitting; });
    setTextElideMode(Qt::ElideRight);
    setWordWrap(false);
    verticalHeader()->hide();
}

void VocabularyTable::show(const Vocabulary& spelled)
{
    m_codes.clear();
    setRowCount(static_cast<int>(spelled.entries().size()));
    for (std::size_t i = 0; i < spelled.entries().size(); ++i) {
        const Vocabulary::Entry& e = spelled.entries()[i];
        m_codes.push_back(e.codes);
        double ms = 0;
        for (int c : e.codes)
            ms += ChipDurations::chipMs(c);
        const QString source =
            !e.parts.empty() ? "phrase: " + joined(e.parts)
            : e.text ? toQt(e.source) + "  (" + joined(AllophoneTable::mnemonicsOf(e.codes)) + ")"
                     : joined(AllophoneTable::mnemonicsOf(e.codes));
        const QStringList cells = {toQt(e.name), source,
                                   e.codes.empty() ? QString()
                                                   : QString("%1 ms").arg(std::lround(ms)),
                                   toQt(CodeFormat::format(e.codes, CodeFormat::Style::Dollar))};
        for (int column = 0; column < cells.size(); ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            item->setToolTip(cells[column]);
            setItem(static_cast<int>(i), column, item);
        }
    }
    // What each column's cells and header would take, read once a filling: a resize of the
    // window refits from these without going over every row again.
    for (int c = 0; c < columnCount(); ++c)
        m_natural[static_cast<std::size_t>(c)] =
            std::max(sizeHintForColumn(c), horizontalHeader()->sectionSizeHint(c));
    if (!m_userSized)
        fitColumns();
}

void VocabularyTable::resizeEvent(QResizeEvent* event)
{
    QTableWidget::resizeEvent(event);
    if (!m_userSized)
        fitColumns();
}

void VocabularyTable::fitColumns()
{
    const int total = viewport()->width();
    if (total <= 0)
        return;
    std::array<int, 4> width{};
    const std::array<int, 4> most = {total / 5, total, total / 5, total / 4};
    for (std::size_t c = 0; c < width.size(); ++c)
        width[c] = std::min(most[c], m_natural[c]);
    width[1] = std::max(total - width[0] - width[2] - width[3], total / 4);
    m_fitting = true;
    for (int c = 0; c < 4; ++c)
        setColumnWidth(c, width[static_cast<std::size_t>(c)]);
    m_fitting = false;
}

const std::vector<int>& VocabularyTable::codes(int entry) const
{
    static const std::vector<int> none;
    return entry >= 0 && static_cast<std::size_t>(entry) < m_codes.size()
               ? m_codes[static_cast<std::size_t>(entry)]
               : none;
}

} // namespace tessary
