#pragma once

#include "vocabulary/Vocabulary.h"

#include <QTableWidget>

#include <array>
#include <vector>

namespace tessary {

// The Vocabulary window's entries, a row each: the name, the text or the allophones, how long
// the chip takes to say it, and its code string.
class VocabularyTable : public QTableWidget
{
    Q_OBJECT

public:
    explicit VocabularyTable(QWidget* parent);

    // The entries as the chip would say them: text spelled, phrases composed.
    void show(const Vocabulary& spelled);
    // Row `entry`'s codes; empty outside the rows.
    const std::vector<int>& codes(int entry) const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Every column in view: the name, the time and the codes each at most a share of the
    // width, the text the rest. Until the user resizes a column, which is then theirs.
    void fitColumns();

    std::vector<std::vector<int>> m_codes; // each entry's codes as the chip says them
    std::array<int, 4> m_natural{};        // each column's width for its widest cell or header
    bool m_fitting = false;
    bool m_userSized = false;
};

} // namespace tessary
