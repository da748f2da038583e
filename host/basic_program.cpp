#include "host/basic_program.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace reelbox::host {
namespace {

constexpr std::uint8_t NUMBER_MARK = 0x0E;
constexpr std::uint8_t LINE_END = 0x0D;
constexpr std::uint8_t FIRST_TOKEN = 0xA5;

// Keywords from token 0xA5 (RND) to 0xFF (COPY), in token order.
constexpr const char* KEYWORDS[] = {
    "RND",   "INKEY$", "PI",     "FN",     "POINT",     "SCREEN$", "ATTR",    "AT",       "TAB",   "VAL$",
    "CODE",  "VAL",    "LEN",    "SIN",    "COS",       "TAN",     "ASN",     "ACS",      "ATN",   "LN",
    "EXP",   "INT",    "SQR",    "SGN",    "ABS",       "PEEK",    "IN",      "USR",      "STR$",  "CHR$",
    "NOT",   "BIN",    "OR",     "AND",    "<=",        ">=",      "<>",      "LINE",     "THEN",  "TO",
    "STEP",  "DEF FN", "CAT",    "FORMAT", "MOVE",      "ERASE",   "OPEN #",  "CLOSE #",  "MERGE", "VERIFY",
    "BEEP",  "CIRCLE", "INK",    "PAPER",  "FLASH",     "BRIGHT",  "INVERSE", "OVER",     "OUT",   "LPRINT",
    "LLIST", "STOP",   "READ",   "DATA",   "RESTORE",   "NEW",     "BORDER",  "CONTINUE", "DIM",   "REM",
    "FOR",   "GO TO",  "GO SUB", "INPUT",  "LOAD",      "LIST",    "LET",     "PAUSE",    "NEXT",  "POKE",
    "PRINT", "PLOT",   "RUN",    "SAVE",   "RANDOMIZE", "IF",      "CLS",     "DRAW",     "CLEAR", "RETURN",
    "COPY",
};
constexpr std::size_t KEYWORD_COUNT = sizeof KEYWORDS / sizeof KEYWORDS[0];
static_assert(FIRST_TOKEN + KEYWORD_COUNT == 0x100, "one keyword per token up to 0xFF");
constexpr std::uint8_t TOKEN_REM = 0xEA;

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '$'; }

// Length of the keyword matched at text[at], or 0. A keyword made of letters
// must not run into more letters (so "TOTAL" is not TO + TAL).
std::size_t MatchKeyword(const std::string& text, std::size_t at, std::uint8_t* token) {
  std::size_t best = 0;
  for (std::size_t k = 0; k < KEYWORD_COUNT; ++k) {
    const std::size_t length = std::strlen(KEYWORDS[k]);
    if (length <= best || at + length > text.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < length && same; ++i) {
      same = std::toupper(static_cast<unsigned char>(text[at + i])) == KEYWORDS[k][i];
    }
    if (!same) continue;
    const bool wordy = std::isalpha(static_cast<unsigned char>(KEYWORDS[k][length - 1]));
    if (wordy && at + length < text.size() && IsWordChar(text[at + length]) && KEYWORDS[k][length - 1] != '$') {
      continue;
    }
    if (at > 0 && std::isalpha(static_cast<unsigned char>(KEYWORDS[k][0])) && IsWordChar(text[at - 1])) continue;
    best = length;
    *token = static_cast<std::uint8_t>(FIRST_TOKEN + k);
  }
  return best;
}

std::size_t SkipSpaces(const std::string& text, std::size_t at) {
  while (at < text.size() && text[at] == ' ') ++at;
  return at;
}

// A number in the text: its digits as typed, then the hidden form.
std::size_t AppendNumber(const std::string& text, std::size_t at, std::vector<std::uint8_t>* out) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str() + at, &end);
  const std::size_t length = static_cast<std::size_t>(end - (text.c_str() + at));
  out->insert(out->end(), text.begin() + static_cast<std::ptrdiff_t>(at),
              text.begin() + static_cast<std::ptrdiff_t>(at + length));
  out->push_back(NUMBER_MARK);
  AppendNumberForm(value, out);
  return at + length;
}

bool StartsNumber(const std::string& text, std::size_t at) {
  const char c = text[at];
  if (std::isdigit(static_cast<unsigned char>(c)))
    return at == 0 || !std::isalpha(static_cast<unsigned char>(text[at - 1]));
  return c == '.' && at + 1 < text.size() && std::isdigit(static_cast<unsigned char>(text[at + 1]));
}

void TokeniseBody(const std::string& text, std::size_t at, std::vector<std::uint8_t>* out) {
  bool quoted = false;
  while (at < text.size()) {
    const char c = text[at];
    std::uint8_t token = 0;
    std::size_t length = 0;
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && (length = MatchKeyword(text, at, &token)) > 0) {
      out->push_back(token);
      at = SkipSpaces(text, at + length);
      if (token == TOKEN_REM) {
        out->insert(out->end(), text.begin() + static_cast<std::ptrdiff_t>(at), text.end());
        return;
      }
      continue;
    } else if (!quoted && StartsNumber(text, at)) {
      at = AppendNumber(text, at, out);
      continue;
    } else if (!quoted && c == ' ') {
      ++at;
      continue;
    }
    out->push_back(static_cast<std::uint8_t>(c));
    ++at;
  }
}

}  // namespace

void AppendNumberForm(double value, std::vector<std::uint8_t>* out) {
  if (value == std::floor(value) && std::fabs(value) <= 65535.0) {
    const auto magnitude = static_cast<std::uint32_t>(std::fabs(value));
    // Negative small integers are stored as 65536 - n under the sign byte 0xFF.
    const std::uint32_t stored = value < 0 ? (65536 - magnitude) & 0xFFFF : magnitude;
    out->insert(out->end(), {0x00, static_cast<std::uint8_t>(value < 0 ? 0xFF : 0x00),
                             static_cast<std::uint8_t>(stored & 0xFF), static_cast<std::uint8_t>(stored >> 8), 0x00});
    return;
  }
  int exponent = 0;
  const double fraction = std::frexp(std::fabs(value), &exponent);  // 0.5 <= fraction < 1
  auto mantissa = static_cast<std::uint64_t>(std::llround(std::ldexp(fraction, 32)));
  if (mantissa >> 32) {  // rounding carried into a new bit
    mantissa >>= 1;
    ++exponent;
  }
  const auto bits = static_cast<std::uint32_t>(mantissa);
  out->push_back(static_cast<std::uint8_t>(exponent + 128));
  out->push_back(static_cast<std::uint8_t>(((bits >> 24) & 0x7F) | (value < 0 ? 0x80 : 0x00)));
  out->push_back(static_cast<std::uint8_t>(bits >> 16));
  out->push_back(static_cast<std::uint8_t>(bits >> 8));
  out->push_back(static_cast<std::uint8_t>(bits));
}

bool TokeniseLine(const std::string& text, std::vector<std::uint8_t>* out) {
  std::size_t at = SkipSpaces(text, 0);
  std::size_t digits = at;
  while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) ++digits;
  if (digits == at || digits - at > 4) return false;
  const auto number = static_cast<std::uint16_t>(std::atoi(text.c_str() + at));
  std::vector<std::uint8_t> body;
  TokeniseBody(text, SkipSpaces(text, digits), &body);
  body.push_back(LINE_END);
  // The line number is stored high byte first, the length low byte first.
  out->push_back(static_cast<std::uint8_t>(number >> 8));
  out->push_back(static_cast<std::uint8_t>(number & 0xFF));
  out->push_back(static_cast<std::uint8_t>(body.size() & 0xFF));
  out->push_back(static_cast<std::uint8_t>(body.size() >> 8));
  out->insert(out->end(), body.begin(), body.end());
  return true;
}

bool TokeniseProgram(const std::vector<std::string>& lines, std::vector<std::uint8_t>* out) {
  std::vector<std::uint8_t> program;
  for (const std::string& line : lines) {
    if (!TokeniseLine(line, &program)) return false;
  }
  out->insert(out->end(), program.begin(), program.end());
  return true;
}

}  // namespace reelbox::host
