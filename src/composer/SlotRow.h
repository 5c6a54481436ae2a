#pragma once

#include <array>
#include <functional>
#include <string>

namespace tessary {

// The row of 30 slots: each slot's text, the code its label shows, and the text recorded for
// speaking. The window mirrors the texts and codes in its boxes and labels; the row itself knows
// nothing of widgets and reaches the rest of the program only through its hooks, any of which may
// be left empty.
class SlotRow
{
public:
    static constexpr int kSlotCount = 30;
    using Texts = std::array<std::string, kSlotCount>;

    struct Hooks
    {
        std::function<void()> moveFocusToSink;                 // before "Clear All" does anything
        std::function<bool()> typeAndTalkOn;                   // read at every slot change
        std::function<void(const std::string& stem)> playStem; // Type 'n' Talk
        std::function<void(int slot, const std::string& text)>
            slotTextAssigned;                                                 // the row set a text
        std::function<void(int slot, const std::string& code)> slotCodeShown; // a label changed
    };

    SlotRow() = default;
    explicit SlotRow(Hooks hooks) : m_hooks(std::move(hooks)) {}
    void setHooks(Hooks hooks) { m_hooks = std::move(hooks); }

    // The text of slot n (1..30) is now `text`, typed or assigned: record it and run SlotChanged.
    void setSlotText(int n, std::string text);
    // The change handling of slot n: resolve its code, record its text for speaking, and with
    // Type 'n' Talk on hand its text to the player.
    void SlotChanged(int n);
    // Focus to the sink, then empty slots 1..30 in order, each running its change handling.
    void ClearAll();

    const std::string& SlotText(int n) const;
    const std::string& SlotCode(int n) const;

    // Entry n belongs to slot n; written by every change of slot n and by captureSpeakBuffer().
    const Texts& SpeakBuffer() const { return m_speakBuffer; }
    const std::string& speakEntry(int n) const;
    void captureSpeakBuffer();

    // The codes of slots 1..30 joined with nothing between them.
    std::string joinedCodes() const;

    static bool isSlot(int n) { return n >= 1 && n <= kSlotCount; }

private:
    static std::size_t index(int n) { return static_cast<std::size_t>(n - 1); }

    Hooks m_hooks;
    Texts m_texts;
    Texts m_codes;
    Texts m_speakBuffer;
};

} // namespace tessary
