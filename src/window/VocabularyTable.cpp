#include "VocabularyTable.h"

#include "catalogue/AllophoneTable.h"
#include "catalogue/ChipDurations.h"
#include "composer/CodeFormat.h"

#include <QHeaderView>

#include <algorithm>
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
    horizontalHeader()->setStretchLastSection(true);
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
    resizeColumnsToContents();
    // Name, text, time: each at most a share of the view; the codes take what is left.
    const int view = std::max(viewport()->width(), 600);
    const int most[] = {view / 5, view * 2 / 5, view / 8};
    for (int column = 0; column < 3; ++column)
        setColumnWidth(column, std::min(columnWidth(column), most[column]));
}

const std::vector<int>& VocabularyTable::codes(int entry) const
{
    static const std::vector<int> none;
    return entry >= 0 && static_cast<std::size_t>(entry) < m_codes.size()
               ? m_codes[static_cast<std::size_t>(entry)]
               : none;
}

} // namespace tessary
