// Scenario files of the end-to-end driver: one command a line, words separated by blanks.
//
//   # a comment line
//   expect-box caption "Programm beenden" text "Wollen Sie das Programm wirklich beenden?"
//   expect-file '${DEST}\Liesmich.txt'
//
// A word is a run of characters up to the next blank; quoted pieces may hold blanks and are glued
// to whatever touches them ("C:"'\x' is one word). Two kinds of quotes:
//   "..."  escapes \xHH, \r, \n, \t, \\ and \" ; any other backslash is a scenario error, so a
//          path such as "C:\readme" cannot silently turn into a carriage return;
//   '...'  raw: every byte as written, backslashes included (meant for paths).
// ${NAME} is replaced by a variable's value when the command runs, in every kind of word.
// A line that ends with a blank and a backslash continues on the next line.
#pragma once

#include <string>
#include <vector>

struct ScenarioLine {
    int number = 0;                   // line number in the file, for messages
    std::vector<std::string> words;   // escapes decoded, variables not yet expanded
};

// Reads and tokenises a scenario file; throws std::runtime_error naming the line on a syntax error.
std::vector<ScenarioLine> ReadScenario(const std::string &path);

// Printable form of a byte string: printable ASCII as is, everything else as \xHH (\r, \n, \t named).
std::string ShowBytes(const std::string &bytes);
