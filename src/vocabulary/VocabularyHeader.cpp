#include "VocabularyHeader.h"

#include "NumberWords.h"
#include "catalogue/AllophoneTable.h"
#include "text/JsonText.h"

#include <cctype>
#include <cstdio>
#include <set>

namespace tessary {

namespace {

std::string upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string hex(int code)
{
    char byte[8];
    std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned>(code));
    return byte;
}

std::string hexBytes(const std::vector<int>& codes)
{
    std::string out;
    for (std::size_t i = 0; i < codes.size(); ++i)
        out += (i == 0 ? "" : (i % 12 == 0 ? ",\n    " : ", ")) + hex(codes[i]);
    return out;
}

std::string joined(const std::vector<std::string>& words)
{
    std::string out;
    for (const std::string& w : words)
        out += (out.empty() ? "" : " ") + w;
    return out;
}

// What a C comment may hold: no "*/", no line ends.
std::string commentSafe(std::string_view text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n' || c == '\r')
            c = ' ';
        if (c == '/' && !out.empty() && out.back() == '*')
            out += ' ';
        out += c;
    }
    return out;
}

std::string json(const Vocabulary& v, std::string_view origin)
{
    std::string out = "{\n  \"source\": " + JsonText::quote(origin) + ",\n  \"entries\": [";
    for (std::size_t i = 0; i < v.entries().size(); ++i) {
        const Vocabulary::Entry& e = v.entries()[i];
        out += std::string(i ? "," : "") + "\n    {\"name\": " + JsonText::quote(e.name) +
               ", \"identifier\": " + JsonText::quote(e.identifier) +
               ", \"index\": " + std::to_string(i) + ", \"line\": " + std::to_string(e.line) +
               ", \"text\": " + (e.text ? JsonText::quote(e.source) : "null") +
               ", \"mnemonics\": " + JsonText::strings(AllophoneTable::mnemonicsOf(e.codes)) +
               ", \"codes\": " + JsonText::numbers(e.codes) + "}";
    }
    return out + "\n  ]\n}\n";
}

} // namespace

bool VocabularyHeader::parseForm(std::string_view name, Form& form)
{
    if (name == "c")
        form = Form::C;
    else if (name == "arduino")
        form = Form::Arduino;
    else if (name == "json")
        form = Form::Json;
    else
        return false;
    return true;
}

namespace {

std::string arrays(const Vocabulary& v, const VocabularyHeader::Names& n, const char* where)
{
    std::string out;
    for (const Vocabulary::Entry& e : v.entries()) {
        out += "/* " + commentSafe(e.name) + ": " +
               commentSafe(e.text ? e.source : joined(AllophoneTable::mnemonicsOf(e.codes))) +
               " */\n";
        if (e.text)
            out += "/* " + joined(AllophoneTable::mnemonicsOf(e.codes)) + " */\n";
        out += "static const uint8_t " + n.array(e) + "[]" + where + " = {\n    " +
               hexBytes(e.codes) + "\n};\n";
        out += "static const uint16_t " + n.array(e) +
               "_length = " + std::to_string(e.codes.size()) + ";\n\n";
    }
    return out;
}

std::string table(const Vocabulary& v, const VocabularyHeader::Names& n, const char* where)
{
    std::string out = "enum " + n.index + " {\n";
    for (const Vocabulary::Entry& e : v.entries())
        out += "    " + n.constant(e) + ",\n";
    out += "    " + n.count + "\n};\n\n";
    // A phrase also as the entries it says in turn, for firmware that says them one by one.
    for (const Vocabulary::Entry& e : v.entries()) {
        if (e.partIndices.empty())
            continue;
        out += "static const uint8_t " + n.array(e) + "_words[] = {";
        for (std::size_t i = 0; i < e.partIndices.size(); ++i)
            out += std::string(i ? ", " : "") + n.constant(v.entries()[e.partIndices[i]]);
        out += "};\n";
    }
    out += "struct " + n.entryType + " {\n    const uint8_t *codes;\n    uint16_t length;\n};\n\n";
    if (v.entries().empty())
        return out + "/* No entries: no table. */\n";
    out += "static const struct " + n.entryType + " " + n.table + "[" + n.count + "]" + where +
           " = {\n";
    for (const Vocabulary::Entry& e : v.entries())
        out += "    { " + n.array(e) + ", " + std::to_string(e.codes.size()) + " },\n";
    return out + "};\n";
}

} // namespace

VocabularyHeader::Names::Names(std::string_view wanted)
    : prefix(Vocabulary::words(wanted)), guard(upper(prefix) + "_H"), table(prefix + "_table"),
      entryType(prefix + "_entry"), index(prefix + "_index"), count(upper(prefix) + "_COUNT")
{}

std::string VocabularyHeader::Names::array(const Vocabulary::Entry& e) const
{
    return prefix + "_word_" + e.word;
}

std::string VocabularyHeader::Names::constant(const Vocabulary::Entry& e) const
{
    return upper(prefix) + "_WORD_" + upper(e.word);
}

namespace {

// The code that says a number with the words of the table: the words with the pause between
// them that the spelling of their text has (the driver's gap). @P@ is the prefix, the other
// @NAME@s NumberWords' places in the table; a unit that ends a number said alone takes its
// lighter form, one followed by more of a sentence does not. Each function is static inline: a
// sketch that calls one of them, or none, builds with -Wall -Werror all the same.
constexpr const char* kNumberCode = R"code(
/* How a number's words go: said at once, queued, or only counted (to see that the queue has
   room for them all); whether a word came before (the next takes the gap), and whether the
   number ends what is said. */
typedef struct
{
    uint8_t said, ends, mode, words;
} @P@_number_how;

static inline uint8_t @P@_number_word(uint8_t w, @P@_number_how* how)
{
    const uint16_t from = @READ@@P@_number_start[w]);
    const uint16_t to = @READ@@P@_number_start[w + 1]);
    const uint8_t gap = how->said;
    how->said = 1;
    ++how->words;
    if (how->mode == 1)
        return 1;
    if (how->mode == 2)
        return sp0256_queue(@P@_number_codes + from, (uint16_t)(to - from),
                            (uint8_t)(@FLASH@ | (gap ? SP0256_GAP : 0)));
    return (!gap || sp0256_say_gap_before(@READ_BYTE@@P@_number_codes + from))) &&
           @SAY@(@P@_number_codes + from, (uint16_t)(to - from));
}

static inline uint8_t @P@_number_below(uint16_t n, uint8_t andFirst, uint8_t ends,
                                       @P@_number_how* how)
{
    (void)andFirst;
    if (n >= 100) {
        if (!@P@_number_word((uint8_t)(n / 100), how) || !@P@_number_word(@HUNDRED@, how))
            return 0;
        n %= 100;
        if (@BRITISH@n && !@P@_number_word(@AND@, how))
            return 0;
    } else if (@BRITISH@andFirst && n && !@P@_number_word(@AND@, how)) {
        return 0;
    }
    if (n >= 20) {
        if (!@P@_number_word((uint8_t)(@TENS@ + n / 10), how))
            return 0;
        n %= 10;
    }
    return n ? @P@_number_word((uint8_t)(ends && how->said ? @FINAL@ + n : n), how) : 1;
}

static inline uint8_t @P@_number(long n, @P@_number_how* how)
{
    if (n < -@MOST@L || n > @MOST@L)
        return 0;
    if (n < 0) {
        if (!@P@_number_word(@MINUS@, how))
            return 0;
        n = -n;
    }
    if (n == 0)
        return @P@_number_word(0, how);
    if (n >= 1000 && (!@P@_number_below((uint16_t)(n / 1000), 0, 0, how) ||
                      !@P@_number_word(@THOUSAND@, how)))
        return 0;
    return n % 1000 == 0 || @P@_number_below((uint16_t)(n % 1000), n >= 1000, how->ends, how);
}

static inline uint8_t @P@_number_said(long n, uint8_t after, uint8_t ends)
{
    @P@_number_how how = {after, ends, 0, 0};
    return @P@_number(n, &how) && (!ends || sp0256_say(0x00));
}

/* All of the number's words queued, or none where the queue lacks room for them. */
static inline uint8_t @P@_number_queued(long n, uint8_t after, uint8_t ends)
{
    @P@_number_how count = {after, ends, 1, 0};
    @P@_number_how queue = {after, ends, 2, 0};
    if (!@P@_number(n, &count) || sp0256_queue_room() < count.words + ends)
        return 0;
    return @P@_number(n, &queue) && (!ends || sp0256_queue_code(0x00));
}

/* A number said alone, and PA1 after it so that the chip falls silent. */
static inline uint8_t @P@_say_number(long n)
{
    return @P@_number_said(n, 0, 1);
}

/* A number that begins a sentence: no pause before it or after it. */
static inline uint8_t @P@_say_number_first(long n)
{
    return @P@_number_said(n, 0, 0);
}

/* A number after words of a sentence: the pause between words before it, none after it. */
static inline uint8_t @P@_say_number_words(long n)
{
    return @P@_number_said(n, 1, 0);
}

/* The same three into the driver's queue: each returns at once (0 when the queue has no room
   for the whole number), and sp0256_update() says them. */
static inline uint8_t @P@_queue_number(long n)
{
    return @P@_number_queued(n, 0, 1);
}

static inline uint8_t @P@_queue_number_first(long n)
{
    return @P@_number_queued(n, 0, 0);
}

static inline uint8_t @P@_queue_number_words(long n)
{
    return @P@_number_queued(n, 1, 0);
}
)code";

std::string replaced(std::string text, const std::string& key, const std::string& value)
{
    for (std::size_t at = 0; (at = text.find(key, at)) != std::string::npos; at += value.size())
        text.replace(at, key.size(), value);
    return text;
}

// The number words in one array and where each starts, and the code that says a number.
std::string numbers(const VocabularyHeader::Names& n, const VocabularyHeader::Source& source,
                    bool flash)
{
    const std::string& p = n.prefix;
    const char* const where = flash ? " PROGMEM" : "";
    std::vector<int> all;
    std::string starts;
    for (const std::vector<int>& word : source.numberCodes) {
        starts += std::to_string(all.size()) + ", ";
        all.insert(all.end(), word.begin(), word.end());
    }
    starts += std::to_string(all.size());
    std::string out =
        "/* Numbers: " + p + "_say_number(n) says any integer from -" +
        std::to_string(NumberWords::kMost) + " to " + std::to_string(NumberWords::kMost) +
        "\n"
        "   through the SP0256 driver, as the spelling of its words has it; 0 when n\n"
        "   is out of range or the chip stopped taking codes. */\n"
        "#include \"SP0256.h\"\n\n";
    out += "static const uint8_t " + p + "_number_codes[]" + where + " = {\n    " + hexBytes(all) +
           "\n};\n";
    out += "static const uint16_t " + p + "_number_start[]" + where + " = {" + starts + "};\n";
    std::string code = replaced(kNumberCode, "@P@", p);
    // Twenty is kTens, so the tens digit t is said by the word kTens + t - 2; a unit u that
    // ends a number by kFinal + u - 1.
    for (const auto& [key, value] : {std::pair{"@HUNDRED@", long{NumberWords::kHundred}},
                                     {"@THOUSAND@", long{NumberWords::kThousand}},
                                     {"@MINUS@", long{NumberWords::kMinus}},
                                     {"@AND@", long{NumberWords::kAnd}},
                                     {"@TENS@", long{NumberWords::kTens - 2}},
                                     {"@FINAL@", long{NumberWords::kFinal - 1}},
                                     {"@MOST@", NumberWords::kMost}})
        code = replaced(code, key, std::to_string(value));
    code = replaced(code, "@READ@", flash ? "pgm_read_word(&" : "(");
    code = replaced(code, "@SAY@", flash ? "sp0256_say_codes_P" : "sp0256_say_codes");
    code = replaced(code, "@FLASH@", flash ? "SP0256_FLASH" : "SP0256_RAM");
    code = replaced(code, "@READ_BYTE@", flash ? "pgm_read_byte(" : "*(");

    return out + replaced(code, "@BRITISH@", source.british ? "" : "0 && ");
}

} // namespace

std::size_t VocabularyHeader::flashBytes(const Vocabulary& v, const Source& source)
{
    constexpr std::size_t kTableEntry = 4; // a 16-bit pointer and a uint16_t
    std::size_t bytes = 0;
    for (const Vocabulary::Entry& e : v.entries())
        bytes += e.codes.size() + kTableEntry;
    if (!source.numberCodes.empty()) {
        bytes += kNumberCodeBytes + 2 * (source.numberCodes.size() + 1);
        for (const std::vector<int>& word : source.numberCodes)
            bytes += word.size();
    }
    return bytes;
}

std::string VocabularyHeader::write(const Vocabulary& v, Form form, const Source& source,
                                    std::vector<Vocabulary::Problem>& clashes)
{
    if (form == Form::Json)
        return json(v, source.origin);
    const Names n(source.prefix);
    // Every name the file defines, so that none is defined twice.
    std::set<std::string> defined = {n.guard, n.table, n.entryType, n.count, n.index};
    for (const Vocabulary::Entry& e : v.entries()) {
        for (const std::string& name : {n.array(e), n.array(e) + "_length", n.constant(e)}) {
            if (!defined.insert(name).second)
                clashes.push_back({e.line, "'" + e.name + "' makes the name " + name +
                                               ", which the header already has"});
        }
    }
    if (!clashes.empty())
        return {};

    const bool flash = form == Form::Arduino;
    const char* const where = flash ? " PROGMEM" : "";
    std::string out = "/* " + n.guard.substr(0, n.guard.size() - 2) +
                      ": SP0256-AL2 allophone codes, written by tessary from " +
                      commentSafe(source.origin) + ". */\n";
    if (!source.note.empty())
        out += "/* " + commentSafe(source.note) + " */\n";
    if (flash)
        out += "/* The arrays and the table are in flash: read a code with\n"
               "   pgm_read_byte(&" +
               (v.entries().empty() ? n.prefix + "_word_hello" : n.array(v.entries()[0])) +
               "[i]) and an entry of the table with memcpy_P. */\n";
    out += "#ifndef " + n.guard + "\n#define " + n.guard + "\n\n#include <stdint.h>\n";
    if (flash)
        out += "#if defined(__AVR__)\n#include <avr/pgmspace.h>\n"
               "#elif !defined(PROGMEM) /* flash is read as memory on other cores */\n"
               "#include <string.h>\n#define PROGMEM\n"
               "#define pgm_read_byte(p) (*(const uint8_t*)(p))\n"
               "#define pgm_read_word(p) (*(const uint16_t*)(p))\n#define memcpy_P memcpy\n"
               "#endif\n";
    out += "\n" + arrays(v, n, where) + table(v, n, where);
    if (!source.numberCodes.empty())
        out += "\n" + numbers(n, source, flash);
    return out + "\n#endif /* " + n.guard + " */\n";
}

} // namespace tessary
