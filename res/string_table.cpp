#include "res/string_table.h"

#include <array>

namespace zv {
namespace {

struct StringEntry {
  UINT id;
  const char* english;
  const char* polish;
};

// Each language carries its own file filter: labels and patterns in pairs
// separated by bars, closed by two bars.
constexpr std::array kStringTable{
    StringEntry{IDS_ABOUTBOX, "&About ZVReader...", "&About ZVReader..."},
    StringEntry{IDS_TRANSMITTED, "Transmited test: %d / %02d",
                "Przetransmitowano badań: %d / %02d"},
    StringEntry{IDS_WAITING, "Waiting for transmission",
                "Oczekiwanie na transmisję"},
    StringEntry{IDS_FILE_FILTER, "Text files (*.txt)|*.txt|All files (*.*)|*.*||",
                "Pliki tekstowe (*.txt)|*.txt|Wszystkie pliki (*.*)|*.*||"},
    StringEntry{IDS_PDF_FILE_TYPE, "PDF document (*.pdf)|*.pdf|", "Dokument PDF (*.pdf)|*.pdf|"},
    StringEntry{IDS_PROGRESS_NAME, "Transmitted tests", "Przetransmitowane badania"},
};

}  // namespace

const char* StringTableEntry(UINT id, Language language) {
  for (const StringEntry& entry : kStringTable) {
    if (entry.id == id) {
      return language == Language::Polish ? entry.polish : entry.english;
    }
  }
  return nullptr;
}

}  // namespace zv
