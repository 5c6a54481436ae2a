#include "SlotRow.h"

#include "catalogue/AllophoneTable.h"

namespace tessary {

namespace {
const std::string kEmpty;
}

void SlotRow::setSlotText(int n, std::string text)
{
    if (!isSlot(n))
        return;
    m_texts[index(n)] = std::move(text);
    SlotChanged(n);
}

void SlotRow::SlotChanged(int n)
{
    if (!isSlot(n))
        return;
    const std::string& text = m_texts[index(n)];
    std::string& code = m_codes[index(n)];

    // Empty text empties the label, a mnemonic shows its code, anything else leaves it as it was.
    const std::string before = code;
    if (text.empty())
        code.clear();
    else if (const AllophoneEntry* e = AllophoneTable::FindByMnemonic(text))
        code = e->codeText;
    if (code != before && m_hooks.slotCodeShown)
        m_hooks.slotCodeShown(n, code);

    m_speakBuffer[index(n)] = text;

    if (m_hooks.typeAndTalkOn && m_hooks.typeAndTalkOn() && m_hooks.playStem)
        m_hooks.playStem(text);
}

void SlotRow::ClearAll()
{
    if (m_hooks.moveFocusToSink)
        m_hooks.moveFocusToSink();
    for (int n = 1; n <= kSlotCount; ++n) {
        if (m_hooks.slotTextAssigned)
            m_hooks.slotTextAssigned(n, kEmpty);
        setSlotText(n, {});
    }
}

const std::string& SlotRow::SlotText(int n) const
{
    return isSlot(n) ? m_texts[index(n)] : kEmpty;
}

const std::string& SlotRow::SlotCode(int n) const
{
    return isSlot(n) ? m_codes[index(n)] : kEmpty;
}

const std::string& SlotRow::speakEntry(int n) const
{
    return isSlot(n) ? m_speakBuffer[index(n)] : kEmpty;
}

void SlotRow::captureSpeakBuffer()
{
    m_speakBuffer = m_texts;
}

std::string SlotRow::joinedCodes() const
{
    std::string joined;
    for (const std::string& code : m_codes)
        joined += code;
    return joined;
}

} // namespace tessary
