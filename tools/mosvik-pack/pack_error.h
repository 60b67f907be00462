// PackError: every failure the pack tool reports to its user. The text is
// one line, ready to print after the tool's name; the tool exits with 2.
#pragma once

#include <stdexcept>
#include <string>

class PackError : public std::runtime_error {
public:
    explicit PackError(const std::string& what) : std::runtime_error(what) {}
};
