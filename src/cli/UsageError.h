#pragma once

#include <stdexcept>

namespace tessary {

// The command line was wrong: exit status 2, one line naming the argument, nothing on standard
// output.
class UsageError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

} // namespace tessary
