#include "scenario.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

std::runtime_error SyntaxError(int line, const std::string &what) {
    return std::runtime_error("scenario line " + std::to_string(line) + ": " + what);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Decodes one escape starting after the backslash at text[i]; advances i past it.
char DecodeEscape(const std::string &text, size_t &i, int line) {
    char c = i < text.size() ? text[i] : '\0';
    switch (c) {
    case 'r': ++i; return '\r';
    case 'n': ++i; return '\n';
    case 't': ++i; return '\t';
    case '\\': ++i; return '\\';
    case '"': ++i; return '"';
    case 'x': {
        int high = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
        int low = i + 2 < text.size() ? HexDigit(text[i + 2]) : -1;
        if (high < 0 || low < 0) throw SyntaxError(line, "\\x needs two hexadecimal digits");
        i += 3;
        return static_cast<char>(high * 16 + low);
    }
    default:
        throw SyntaxError(line, std::string("unknown escape \\") + c +
                                    " (write \\\\ for a backslash, or use '...' for a path)");
    }
}

std::vector<std::string> SplitWords(const std::string &text, int line) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        if (i >= text.size() || text[i] == '#') break;
        std::string word;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t') {
            char c = text[i];
            if (c == '"') {
                ++i;
                while (true) {
                    if (i >= text.size()) throw SyntaxError(line, "unclosed \"");
                    if (text[i] == '"') { ++i; break; }
                    if (text[i] == '\\') { ++i; word += DecodeEscape(text, i, line); continue; }
                    word += text[i++];
                }
            } else if (c == '\'') {
                size_t end = text.find('\'', i + 1);
                if (end == std::string::npos) throw SyntaxError(line, "unclosed '");
                word += text.substr(i + 1, end - i - 1);
                i = end + 1;
            } else {
                word += c;
                ++i;
            }
        }
        words.push_back(word);
    }
    return words;
}

}  // namespace

std::vector<ScenarioLine> ReadScenario(const std::string &path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error("cannot open scenario " + path);
    std::vector<ScenarioLine> lines;
    std::string raw;
    std::string pending;
    int number = 0;
    int firstNumber = 0;
    while (std::getline(file, raw)) {
        ++number;
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        if (pending.empty()) firstNumber = number;
        if (raw.size() >= 2 && raw.compare(raw.size() - 2, 2, " \\") == 0) {
            pending += raw.substr(0, raw.size() - 1);
            continue;
        }
        pending += raw;
        ScenarioLine line;
        line.number = firstNumber;
        line.words = SplitWords(pending, firstNumber);
        pending.clear();
        if (!line.words.empty()) lines.push_back(line);
    }
    if (!pending.empty()) throw SyntaxError(firstNumber, "continued line at the end of the file");
    return lines;
}

std::string ShowBytes(const std::string &bytes) {
    std::string shown;
    for (unsigned char c : bytes) {
        if (c == '\r') shown += "\\r";
        else if (c == '\n') shown += "\\n";
        else if (c == '\t') shown += "\\t";
        else if (c == '\\') shown += "\\\\";
        else if (c == '"') shown += "\\\"";
        else if (c >= 32 && c < 127) shown += static_cast<char>(c);
        else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            shown += hex;
        }
    }
    return "\"" + shown + "\"";
}
