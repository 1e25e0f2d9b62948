#pragma once
// The language table (108 rows of code and English name) and the mapping from a Windows
// language identifier to a row.
#include <cstdint>

namespace stubframework::utils {

struct LanguageRow {
  const wchar_t* code;
  const wchar_t* name;
};

int LanguageCount();
// The row at index, or nullptr outside the table.
const LanguageRow* LanguageByIndex(int index);
int LanguageIndexOf(uint16_t languageId);

}  // namespace stubframework::utils
