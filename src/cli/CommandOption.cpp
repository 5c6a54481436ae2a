#include "CommandOption.h"

namespace tessary {

CommandOption CommandOption::json()
{
    return {"--json", Value::None, "JSON output", {}};
}

CommandOption CommandOption::lines()
{
    return {"--lines", Value::None, "each line on its own", {}};
}

CommandOption CommandOption::text()
{
    return {"--text", Value::None, "the items are English text", {}};
}

CommandOption CommandOption::style()
{
    return {"--style", Value::Choice, "how text is spelled", {"conventional", "clear"}};
}

CommandOption CommandOption::pace()
{
    return {"--pace", Value::Text, "one sample every MS milliseconds", {}};
}

CommandOption CommandOption::file(const std::string& what)
{
    return {"--file", Value::File, what + " from a file", {}};
}

} // namespace tessary
