#pragma once

#include <stdexcept>

namespace tessary {

// The work could not be done (a file not read or written, no sample set...): exit status 1,
// with the reason.
class Failure : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

} // namespace tessary
