// Spectrum BASIC in its stored form: lines tokenised as the ROM's editor
// stores them, with numbers followed by their hidden five-byte form.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace reelbox::host {

// The five-byte form of a number: small integers as 0, sign, LSB, MSB, 0;
// anything else as exponent and four mantissa bytes.
void AppendNumberForm(double value, std::vector<std::uint8_t>* out);

// One line, "10 PRINT "HI"" style: the number first, then keywords in
// capitals or small letters, text in quotes and after REM kept as typed.
// False for a line without a line number between 0 and 9999.
bool TokeniseLine(const std::string& text, std::vector<std::uint8_t>* out);

// A whole program, one line per element; false if a line is bad.
bool TokeniseProgram(const std::vector<std::string>& lines, std::vector<std::uint8_t>* out);

}  // namespace reelbox::host
