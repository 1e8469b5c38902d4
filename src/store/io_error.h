#pragma once
// The one exception of the core: a failure after a file was opened (a read, write, seek or
// rename that failed), or stored data that cannot be trusted. It names the file and the failure.

#include <stdexcept>
#include <string>

namespace jb {

class IoError : public std::runtime_error {
public:
    IoError(std::string file, std::string what)
        : std::runtime_error(what + ": " + file), file_(std::move(file)) {}

    const std::string& file() const { return file_; }

private:
    std::string file_;
};

}  // namespace jb
