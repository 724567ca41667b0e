#pragma once

#include <sstream>
#include <string>
#include <vector>

// A program's output split into its lines, without their LF.
inline std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}
