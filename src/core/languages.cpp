#include "core/languages.h"

namespace stubframework::utils {
namespace {

constexpr LanguageRow kRows[] = {
    {L"other", L"Other"},  // 0
    {L"en", L"English"},  // 1
    {L"fr", L"French"},  // 2
    {L"de", L"German"},  // 3
    {L"it", L"Italian"},  // 4
    {L"jp", L"Japanese"},  // 5
    {L"es", L"Spanish"},  // 6
    {L"pt", L"Portuguese"},  // 7
    {L"nl", L"Dutch"},  // 8
    {L"ko", L"Korean"},  // 9
    {L"ru", L"Russian"},  // 10
    {L"cs", L"Czech"},  // 11
    {L"zh", L"Simplified Chinese"},  // 12
    {L"tw", L"Traditional Chinese"},  // 13
    {L"af", L"Afrikaans"},  // 14
    {L"sq", L"Albanian"},  // 15
    {L"am", L"Amharic"},  // 16
    {L"ar", L"Arabic"},  // 17
    {L"hy", L"Armenian"},  // 18
    {L"as", L"Assamese"},  // 19
    {L"ba", L"Bashkir"},  // 20
    {L"eu", L"Basque"},  // 21
    {L"be", L"Belarusian"},  // 22
    {L"bn", L"Bengali"},  // 23
    {L"br", L"Breton"},  // 24
    {L"bs", L"Bosnian"},  // 25
    {L"bg", L"Bulgarian"},  // 26
    {L"ca", L"Catalan"},  // 27
    {L"co", L"Corsican"},  // 28
    {L"hr", L"Croatian"},  // 29
    {L"da", L"Danish"},  // 30
    {L"dv", L"Divehi"},  // 31
    {L"et", L"Estonian"},  // 32
    {L"fi", L"Finnish"},  // 33
    {L"fy", L"Frisian"},  // 34
    {L"gl", L"Galician"},  // 35
    {L"ka", L"Georgian"},  // 36
    {L"el", L"Greek"},  // 37
    {L"kl", L"Greenlandic"},  // 38
    {L"gu", L"Gujarati"},  // 39
    {L"ha", L"Hausa"},  // 40
    {L"he", L"Hebrew"},  // 41
    {L"hi", L"Hindi"},  // 42
    {L"hu", L"Hungarian"},  // 43
    {L"is", L"Icelandic"},  // 44
    {L"ig", L"Igbo"},  // 45
    {L"id", L"Indonesian"},  // 46
    {L"iu", L"Inuktitut"},  // 47
    {L"ga", L"Irish"},  // 48
    {L"kn", L"Kannada"},  // 49
    {L"ks", L"Kashmiri"},  // 50
    {L"kk", L"Kazakh"},  // 51
    {L"km", L"Khmer"},  // 52
    {L"rw", L"Kinyarwanda"},  // 53
    {L"ky", L"Kyrgyz"},  // 54
    {L"lo", L"Lao"},  // 55
    {L"lv", L"Latvian"},  // 56
    {L"lt", L"Lithuanian"},  // 57
    {L"lb", L"Luxembourgish"},  // 58
    {L"mk", L"Macedonian"},  // 59
    {L"ms", L"Malay"},  // 60
    {L"ml", L"Malayalam"},  // 61
    {L"mt", L"Maltese"},  // 62
    {L"mi", L"Maori"},  // 63
    {L"mr", L"Marathi"},  // 64
    {L"mn", L"Mongolian"},  // 65
    {L"ne", L"Nepali"},  // 66
    {L"no", L"Norwegian"},  // 67
    {L"oc", L"Occitan"},  // 68
    {L"or", L"Oriya"},  // 69
    {L"ps", L"Pashto"},  // 70
    {L"fa", L"Persian"},  // 71
    {L"pl", L"Polish"},  // 72
    {L"pa", L"Punjabi"},  // 73
    {L"qu", L"Quechua"},  // 74
    {L"ro", L"Romanian"},  // 75
    {L"rm", L"Romansh"},  // 76
    {L"se", L"Sami"},  // 77
    {L"sa", L"Sanskrit"},  // 78
    {L"gd", L"Scottish Gaelic"},  // 79
    {L"sr", L"Serbian"},  // 80
    {L"sd", L"Sindhi"},  // 81
    {L"si", L"Sinhalese"},  // 82
    {L"sk", L"Slovak"},  // 83
    {L"sl", L"Slovenian"},  // 84
    {L"st", L"Sotho"},  // 85
    {L"sw", L"Swahili"},  // 86
    {L"sv", L"Swedish"},  // 87
    {L"tg", L"Tajik"},  // 88
    {L"ta", L"Tamil"},  // 89
    {L"tt", L"Tatar"},  // 90
    {L"te", L"Telugu"},  // 91
    {L"th", L"Thai"},  // 92
    {L"bo", L"Tibetan"},  // 93
    {L"tn", L"Tswana"},  // 94
    {L"tr", L"Turkish"},  // 95
    {L"tk", L"Turkmen"},  // 96
    {L"ug", L"Uighur"},  // 97
    {L"uk", L"Ukrainian"},  // 98
    {L"ur", L"Urdu"},  // 99
    {L"uz", L"Uzbek"},  // 100
    {L"vi", L"Vietnamese"},  // 101
    {L"cy", L"Welsh"},  // 102
    {L"wo", L"Wolof"},  // 103
    {L"xh", L"Xhosa"},  // 104
    {L"yi", L"Yiddish"},  // 105
    {L"yo", L"Yoruba"},  // 106
    {L"zu", L"Zulu"},  // 107
};

struct PrimaryRow {
  uint16_t primary;
  int row;
};

// Primary language (identifier AND 0x3FF) to the row of the same code.
constexpr PrimaryRow kPrimaryRows[] = {
    {0x01, 17}, {0x02, 26}, {0x03, 27}, {0x04, 12}, {0x06, 30}, {0x07, 3},
    {0x08, 37}, {0x09, 1}, {0x0A, 6}, {0x0B, 33}, {0x0C, 2}, {0x0D, 41},
    {0x0E, 43}, {0x0F, 44}, {0x10, 4}, {0x11, 5}, {0x13, 8}, {0x14, 67},
    {0x15, 72}, {0x16, 7}, {0x17, 76}, {0x18, 75}, {0x19, 10}, {0x1B, 83},
    {0x1C, 15}, {0x1D, 87}, {0x1E, 92}, {0x1F, 95}, {0x20, 99}, {0x21, 46},
    {0x22, 98}, {0x23, 22}, {0x24, 84}, {0x25, 32}, {0x26, 56}, {0x27, 57},
    {0x28, 88}, {0x29, 71}, {0x2A, 101}, {0x2B, 18}, {0x2D, 21}, {0x2F, 59},
    {0x32, 94}, {0x34, 104}, {0x35, 107}, {0x36, 14}, {0x37, 36}, {0x39, 42},
    {0x3A, 62}, {0x3B, 77}, {0x3C, 48}, {0x3E, 60}, {0x3F, 51}, {0x40, 54},
    {0x41, 86}, {0x42, 96}, {0x43, 100}, {0x44, 90}, {0x45, 23}, {0x46, 73},
    {0x47, 39}, {0x48, 69}, {0x49, 89}, {0x4A, 91}, {0x4B, 49}, {0x4C, 61},
    {0x4D, 19}, {0x4E, 64}, {0x4F, 78}, {0x50, 65}, {0x51, 93}, {0x52, 102},
    {0x53, 52}, {0x54, 55}, {0x56, 35}, {0x59, 81}, {0x5B, 82}, {0x5D, 47},
    {0x5E, 16}, {0x60, 50}, {0x61, 66}, {0x62, 34}, {0x63, 70}, {0x65, 31},
    {0x68, 40}, {0x6A, 106}, {0x6B, 74}, {0x6C, 85}, {0x6D, 20}, {0x6E, 58},
    {0x6F, 38}, {0x70, 45}, {0x78, 105}, {0x7E, 24}, {0x80, 97}, {0x81, 63},
    {0x82, 68}, {0x83, 28}, {0x87, 53}, {0x88, 103}, {0x91, 79},
};

}  // namespace

int LanguageCount() { return static_cast<int>(sizeof(kRows) / sizeof(kRows[0])); }

const LanguageRow* LanguageByIndex(int index) {
  if (index < 0 || index >= LanguageCount()) return nullptr;
  return &kRows[index];
}

int LanguageIndexOf(uint16_t languageId) {
  switch (languageId) {
    case 0x0404: case 0x0C04: case 0x1404: return 13;
    case 0x0804: case 0x1004: return 12;
    case 0x0405: return 11;
    case 0x0407: return 3;
    case 0x0409: return 1;
    case 0x040C: return 2;
    case 0x0410: return 4;
    case 0x0411: return 5;
    case 0x0412: return 9;
    case 0x0413: return 8;
    case 0x0416: case 0x0816: return 7;
    case 0x0419: return 10;
    case 0x080A: case 0x0C0A: return 6;
    default: break;
  }
  const uint16_t primary = languageId & 0x3FF;
  if (primary == 0x1A) {
    switch (languageId) {
      case 0x041A: case 0x081A: case 0x0C1A: case 0x181A: case 0x1C1A:
      case 0x241A: case 0x281A: case 0x2C1A: case 0x301A: return 80;
      case 0x101A: return 29;
      case 0x141A: case 0x201A: return 25;
      default: return 0;
    }
  }
  // Korean and Czech identifiers other than the whole ones above still name those languages.
  if (primary == 0x12) return 9;
  if (primary == 0x05) return 11;
  for (const auto& entry : kPrimaryRows)
    if (entry.primary == primary) return entry.row;
  return 0;
}

}  // namespace stubframework::utils
