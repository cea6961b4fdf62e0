#include "zvsim/report_generator.h"

#include <array>
#include <chrono>
#include <cmath>
#include <span>
#include <string>

namespace zv::sim {
namespace {

constexpr std::uint8_t kEsc = 0x1B;
constexpr std::uint8_t kBoxLine = 0xB3;
constexpr std::uint8_t kMarkerB = 0x19;
constexpr std::uint8_t kFormFeed = 0x0C;

// Printer escapes the device uses: ESC and one printable byte.
constexpr char kReset = '@';
constexpr char kBoldOn = 'E';
constexpr char kBoldOff = 'F';
constexpr char kItalicOn = '4';
constexpr char kItalicOff = '5';

// ---------------------------------------------------------------- letters

struct PolishLetter {
  char32_t letter;
  char base;
  std::uint8_t mazovia;
  std::uint8_t latin2;
  std::uint8_t windows;
};

// The published Mazovia, code page 852 and code page 1250 bytes.
constexpr std::array<PolishLetter, 18> kPolishLetters{{
    {U'Ą', 'A', 0x8F, 0xA4, 0xA5}, {U'ą', 'a', 0x86, 0xA5, 0xB9},
    {U'Ć', 'C', 0x95, 0x8F, 0xC6}, {U'ć', 'c', 0x8D, 0x86, 0xE6},
    {U'Ę', 'E', 0x90, 0xA8, 0xCA}, {U'ę', 'e', 0x91, 0xA9, 0xEA},
    {U'Ł', 'L', 0x9C, 0x9D, 0xA3}, {U'ł', 'l', 0x92, 0x88, 0xB3},
    {U'Ń', 'N', 0xA5, 0xE3, 0xD1}, {U'ń', 'n', 0xA4, 0xE4, 0xF1},
    {U'Ó', 'O', 0xA3, 0xE0, 0xD3}, {U'ó', 'o', 0xA2, 0xA2, 0xF3},
    {U'Ś', 'S', 0x98, 0x97, 0x8C}, {U'ś', 's', 0x9E, 0x98, 0x9C},
    {U'Ź', 'Z', 0xA0, 0x8D, 0x8F}, {U'ź', 'z', 0xA6, 0xAB, 0x9F},
    {U'Ż', 'Z', 0xA1, 0xBD, 0xAF}, {U'ż', 'z', 0xA7, 0xBE, 0xBF},
}};

std::uint8_t LetterByte(const PolishLetter& letter, UINT code) {
  switch (code) {
    case kCodeMazovia: return letter.mazovia;
    case kCodeLatin2: return letter.latin2;
    case kCodeWindows: return letter.windows;
    default: return static_cast<std::uint8_t>(letter.base);
  }
}

// Decodes one UTF-8 character at `pos` and advances past it; malformed
// input gives U+FFFD.
char32_t NextCharacter(std::string_view text, std::size_t& pos) {
  const auto lead = static_cast<unsigned char>(text[pos++]);
  if (lead < 0x80) return lead;
  const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
  if (extra < 0) return U'\uFFFD';
  char32_t value = lead & (0x3F >> extra);
  for (int i = 0; i < extra; ++i) {
    if (pos >= text.size()) return U'\uFFFD';
    const auto next = static_cast<unsigned char>(text[pos]);
    if ((next & 0xC0) != 0x80) return U'\uFFFD';
    value = (value << 6) | (next & 0x3F);
    ++pos;
  }
  return value;
}

// ----------------------------------------------------------------- random

// SplitMix64: the same numbers from the same seed on every platform, unlike
// the standard library's distributions.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}

  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // An integer in lowest...highest.
  int Between(int lowest, int highest) {
    const auto span = static_cast<std::uint64_t>(highest - lowest + 1);
    return lowest + static_cast<int>(Next() % span);
  }
  template <typename T, std::size_t N>
  const T& Pick(const std::array<T, N>& items) {
    return items[static_cast<std::size_t>(Between(0, static_cast<int>(N) - 1))];
  }

 private:
  std::uint64_t state_;
};

// ---------------------------------------------------------------- content

constexpr std::array<std::string_view, 40> kSurnames{
    "Nowak",     "Kowalski",   "Wiśniewski", "Wójcik",     "Kowalczyk",
    "Kamiński",  "Lewandowski", "Zieliński", "Szymański",  "Woźniak",
    "Dąbrowski", "Kozłowski",  "Jankowski",  "Mazur",      "Kwiatkowski",
    "Krawczyk",  "Piotrowski", "Grabowski",  "Pawłowski",  "Michalski",
    "Król",      "Wieczorek",  "Jabłoński",  "Wróbel",     "Majewski",
    "Olszewski", "Stępień",    "Malinowski", "Jaworski",   "Adamczyk",
    "Górski",    "Sikora",     "Walczak",    "Bąk",        "Chmielewski",
    "Włodarczyk", "Sokołowski", "Kaźmierczak", "Ćwikliński", "Żak"};

constexpr std::array<std::string_view, 20> kMaleNames{
    "Jan",     "Andrzej",   "Piotr",  "Krzysztof", "Stanisław",
    "Tomasz",  "Paweł",     "Józef",  "Marcin",    "Michał",
    "Grzegorz", "Łukasz",   "Zbigniew", "Ryszard", "Wojciech",
    "Rafał",   "Mirosław",  "Jarosław", "Przemysław", "Władysław"};

constexpr std::array<std::string_view, 20> kFemaleNames{
    "Anna",      "Maria",   "Katarzyna", "Małgorzata", "Agnieszka",
    "Barbara",   "Ewa",     "Krystyna",  "Elżbieta",   "Zofia",
    "Teresa",    "Magdalena", "Joanna",  "Grażyna",    "Jadwiga",
    "Bożena",    "Urszula", "Żaneta",    "Łucja",      "Dorota"};

constexpr std::array<std::string_view, 8> kRemarksB{
    "próba wykonana poprawnie",
    "pacjent zgłasza duszność wysiłkową",
    "zalecono powtórzyć badanie za 6 miesięcy",
    "kaszel w trakcie próby",
    "palacz od 20 lat",
    "źle wykonany pierwszy wydech, powtórzono",
    "badanie po leku rozkurczowym",
    "skierowanie od lekarza rodzinnego"};

constexpr std::array<std::string_view, 6> kRemarksA{
    "acceptable and repeatable",
    "patient reports exertional dyspnoea",
    "repeat test in 6 months",
    "cough during manoeuvre",
    "post-bronchodilator test",
    "first blow rejected, repeated"};

constexpr std::array<std::string_view, 4> kOperatorsB{
    "mgr Żaneta Ćwiek", "Dorota Ślęzak", "Ewa Gołębiowska", "Paweł Łączyński"};

constexpr std::array<std::string_view, 4> kOperatorsA{
    "J. Nowicki", "A. Kurek", "M. Sobczak", "E. Wilk"};

enum class Finding { Normal, MildObstruction, ModerateObstruction, Restriction };

struct FindingText {
  Finding finding;
  std::string_view english;
  std::string_view polish;
};

constexpr std::array<FindingText, 4> kFindings{{
    {Finding::Normal, "normal spirometry", "WYNIK PRAWIDŁOWY"},
    {Finding::MildObstruction, "mild obstruction", "ŁAGODNA OBTURACJA"},
    {Finding::ModerateObstruction, "moderate obstruction", "UMIARKOWANA OBTURACJA"},
    {Finding::Restriction, "restriction suspected", "PODEJRZENIE RESTRYKCJI"},
}};

// One test's patient and results. Volumes in hundredths of a litre, flows
// in hundredths of a litre per second, the ratio in tenths of a percent.
struct Measurement {
  bool male = true;
  std::string_view surname;
  std::string_view firstName;
  int patientId = 0;
  int age = 0;
  int heightCm = 0;
  int weightKg = 0;
  std::chrono::year_month_day date;
  int hour = 0;
  int minute = 0;
  int fvc = 0, fvcPredicted = 0;
  int fev1 = 0, fev1Predicted = 0;
  int ratio = 0, ratioPredicted = 0;
  int pef = 0, pefPredicted = 0;
  const FindingText* finding = nullptr;
  int remark = 0;
  int operatorIndex = 0;
};

int Hundredths(double value) { return static_cast<int>(std::lround(value * 100.0)); }

// Predicted values from height and age (European reference equations).
void Predict(Measurement& m) {
  const double height = m.heightCm / 100.0;
  const double age = m.age;
  if (m.male) {
    m.fvcPredicted = Hundredths(5.76 * height - 0.026 * age - 4.34);
    m.fev1Predicted = Hundredths(4.30 * height - 0.029 * age - 2.49);
    m.pefPredicted = Hundredths(6.14 * height - 0.043 * age + 0.15);
  } else {
    m.fvcPredicted = Hundredths(4.43 * height - 0.026 * age - 2.89);
    m.fev1Predicted = Hundredths(3.95 * height - 0.025 * age - 2.60);
    m.pefPredicted = Hundredths(5.50 * height - 0.030 * age - 1.11);
  }
  m.ratioPredicted = m.fev1Predicted * 1000 / m.fvcPredicted;
}

// Measured values that fit the finding: percent of predicted FVC and the
// FEV1/FVC ratio (tenths of a percent) drawn from its typical ranges.
void Measure(Measurement& m, Random& random) {
  struct Ranges {
    int fvcLow, fvcHigh, ratioLow, ratioHigh, pefLow, pefHigh;
  };
  static constexpr std::array<Ranges, 4> kRanges{{
      {88, 112, 720, 850, 85, 115},  // normal
      {80, 100, 600, 690, 65, 85},   // mild obstruction
      {70, 90, 480, 590, 45, 70},    // moderate obstruction
      {58, 78, 810, 900, 70, 95},    // restriction
  }};
  const Ranges& r = kRanges[static_cast<std::size_t>(m.finding->finding)];
  m.fvc = m.fvcPredicted * random.Between(r.fvcLow, r.fvcHigh) / 100;
  m.ratio = random.Between(r.ratioLow, r.ratioHigh);
  m.fev1 = m.fvc * m.ratio / 1000;
  m.pef = m.pefPredicted * random.Between(r.pefLow, r.pefHigh) / 100;
}

Measurement MakeMeasurement(Random& random, std::chrono::sys_days& day) {
  Measurement m;
  m.male = random.Between(0, 1) == 0;
  m.surname = random.Pick(kSurnames);
  m.firstName = m.male ? random.Pick(kMaleNames) : random.Pick(kFemaleNames);
  m.patientId = random.Between(1, 9999);
  m.age = random.Between(18, 85);
  m.heightCm = m.male ? random.Between(165, 195) : random.Between(152, 180);
  m.weightKg = m.heightCm - 100 + random.Between(-15, 20);
  day += std::chrono::days{random.Between(0, 3)};
  m.date = std::chrono::year_month_day{day};
  m.hour = random.Between(8, 15);
  m.minute = random.Between(0, 59);
  m.finding = &random.Pick(kFindings);
  m.remark = random.Between(0, 99);
  m.operatorIndex = random.Between(0, 3);
  Predict(m);
  Measure(m, random);
  return m;
}

// Surnames ending in -ski, -cki or -dzki take -ska, -cka, -dzka for women.
std::string SurnameFor(const Measurement& m) {
  std::string surname(m.surname);
  if (!m.male && surname.size() > 3 && surname.ends_with("ki")) surname.back() = 'a';
  return surname;
}

// ------------------------------------------------------------- formatting

// Right-aligned in `width` characters.
std::string Padded(std::string text, std::size_t width) {
  if (text.size() >= width) return text;
  return std::string(width - text.size(), ' ') + text;
}

std::string ZeroPadded(int value, int width) {
  std::string digits = std::to_string(value);
  if (static_cast<int>(digits.size()) < width) {
    digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
  }
  return digits;
}

// A fixed-point `value` with `decimals` (1 or 2) digits after the point.
std::string Decimal(int value, int decimals) {
  const int divisor = decimals == 1 ? 10 : 100;
  return std::to_string(value / divisor) + "." + ZeroPadded(value % divisor, decimals);
}

// Polish text with the diacritics taken off, for ZORVEL A's ASCII printout.
std::string Plain(std::string_view utf8) {
  const auto bytes = EncodePolish(utf8, kCodeNoPolish);
  return std::string(bytes.begin(), bytes.end());
}

int Percent(int measured, int predicted) {
  return predicted > 0 ? (measured * 100 + predicted / 2) / predicted : 0;
}

std::string IsoDate(const std::chrono::year_month_day& d) {
  return std::to_string(static_cast<int>(d.year())) + "-" +
         ZeroPadded(static_cast<int>(static_cast<unsigned>(d.month())), 2) + "-" +
         ZeroPadded(static_cast<int>(static_cast<unsigned>(d.day())), 2);
}

std::string PolishDate(const std::chrono::year_month_day& d) {
  return ZeroPadded(static_cast<int>(static_cast<unsigned>(d.day())), 2) + "." +
         ZeroPadded(static_cast<int>(static_cast<unsigned>(d.month())), 2) + "." +
         std::to_string(static_cast<int>(d.year()));
}

std::string Clock(int hour, int minute) {
  return ZeroPadded(hour, 2) + ":" + ZeroPadded(minute, 2);
}

// ---------------------------------------------------------------- printer

// Collects the device's bytes: text in the device's code page, printer
// escapes, table rules and line ends.
class Printer {
 public:
  explicit Printer(UINT code) : code_(code) {}

  Printer& Text(std::string_view utf8) {
    const auto bytes = EncodePolish(utf8, code_);
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
  }
  Printer& Escape(char command) { return Byte(kEsc).Byte(static_cast<std::uint8_t>(command)); }
  Printer& Byte(std::uint8_t byte) {
    bytes_.push_back(byte);
    return *this;
  }
  Printer& Rule() { return Byte(kBoxLine); }
  Printer& EndLine() { return Byte('\r').Byte('\n'); }
  Printer& Line(std::string_view utf8) { return Text(utf8).EndLine(); }
  Printer& Bold(std::string_view utf8) {
    return Escape(kBoldOn).Text(utf8).Escape(kBoldOff);
  }
  Printer& Italic(std::string_view utf8) {
    return Escape(kItalicOn).Text(utf8).Escape(kItalicOff);
  }
  // A table row: cells between 0xB3 rules.
  Printer& Row(std::span<const std::string> cells) {
    for (const std::string& cell : cells) Rule().Text(cell);
    return Rule().EndLine();
  }

  std::vector<std::uint8_t>& bytes() { return bytes_; }

 private:
  UINT code_;
  std::vector<std::uint8_t> bytes_;
};

struct TableLabels {
  std::string_view parameter, measured, predicted, percent;
  std::string_view fvc, fev1, ratio, pef;
};

constexpr TableLabels kLabelsA{"Parameter  ", "   Best ", "   Pred ", "  %Pred ",
                               "FVC    [L] ", "FEV1   [L] ", "FEV1/FVC[%]",
                               "PEF  [L/s] "};
constexpr TableLabels kLabelsB{"Parametr   ", "  Wynik ", " Należna", "  % nal.",
                               "FVC    [l] ", "FEV1   [l] ", "FEV1/FVC[%]",
                               "PEF  [l/s] "};

void PrintTable(Printer& out, const Measurement& m, const TableLabels& labels) {
  // Eight characters, as the column heads.
  const auto cell = [](std::string text) { return " " + Padded(std::move(text), 6) + " "; };
  const auto row = [&](std::string_view label, int measured, int predicted, int decimals) {
    const std::array<std::string, 4> cells{
        std::string(label), cell(Decimal(measured, decimals)),
        cell(Decimal(predicted, decimals)),
        cell(std::to_string(Percent(measured, predicted)))};
    out.Row(cells);
  };
  const std::array<std::string, 4> head{
      std::string(labels.parameter), std::string(labels.measured),
      std::string(labels.predicted), std::string(labels.percent)};
  out.Row(head);
  row(labels.fvc, m.fvc, m.fvcPredicted, 2);
  row(labels.fev1, m.fev1, m.fev1Predicted, 2);
  row(labels.ratio, m.ratio, m.ratioPredicted, 1);
  row(labels.pef, m.pef, m.pefPredicted, 2);
}

// ------------------------------------------------------------- ZORVEL A

// Bytes 7 and 8 carry the count as two upper-case hexadecimal digits.
void PrintHeaderA(Printer& out, int tests) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const int count = tests & 0xFF;
  out.Escape(kReset).Text("ZV-A ");
  out.Byte(static_cast<std::uint8_t>(kHex[count >> 4]))
      .Byte(static_cast<std::uint8_t>(kHex[count & 0xF]))
      .EndLine();
}

void PrintPreambleA(Printer& out, int tests, const std::chrono::year_month_day& day) {
  out.Bold("ZORVEL A  spirometer").EndLine();
  out.Line("Stored tests: " + std::to_string(tests));
  out.Line("Printed: " + IsoDate(day) + " 18:20");
  out.EndLine();
}

void PrintTestA(Printer& out, int number, const Measurement& m) {
  out.Line(std::string(44, '-'));
  out.Bold("Test Number: " + ZeroPadded(number, 3)).EndLine();  // the marker
  out.Line("Patient: " + Plain(SurnameFor(m)) + " " + Plain(m.firstName) +
           "   ID: " + ZeroPadded(m.patientId, 4));
  out.Line("Date: " + IsoDate(m.date) + "   Time: " + Clock(m.hour, m.minute));
  out.Line(std::string("Sex: ") + (m.male ? "M" : "F") + "   Age: " + std::to_string(m.age) +
           "   Height: " + std::to_string(m.heightCm) + " cm   Weight: " +
           std::to_string(m.weightKg) + " kg");
  PrintTable(out, m, kLabelsA);
  out.Text("Interpretation: ").Italic(m.finding->english).EndLine();
  out.Line("Comment: " + std::string(kRemarksA[static_cast<std::size_t>(m.remark) %
                                               kRemarksA.size()]));
  out.Line("Operator: " + std::string(kOperatorsA[static_cast<std::size_t>(m.operatorIndex)]));
  out.EndLine();
}

void PrintEndA(Printer& out) { out.Line("End of report").Byte(kFormFeed); }

// ------------------------------------------------------------- ZORVEL B

// Byte 2 carries the count.
void PrintHeaderB(Printer& out, int tests) {
  out.Escape(kReset).Byte(static_cast<std::uint8_t>(tests & 0xFF)).Text("ZV-B/PL").EndLine();
}

void PrintPreambleB(Printer& out, int tests, const std::chrono::year_month_day& day) {
  out.Bold("ZORVEL B  SPIROMETR").EndLine();
  out.Line("ZESTAWIENIE PRÓB SPIROMETRYCZNYCH");
  out.Line("ŁĄCZNIE BADAŃ: " + std::to_string(tests));
  out.Line("Pracownia: Przychodnia Śródmieście, Łódź");
  out.Line("Wydrukowano: " + PolishDate(day) + " 18:20");
  out.Line("Test znaków: ĄĆĘŁŃÓŚŹŻ ąćęłńóśźż");
  out.EndLine();
}

void PrintTestB(Printer& out, int number, const Measurement& m) {
  out.Byte(kMarkerB);
  out.Bold("BADANIE NR " + std::to_string(number)).EndLine();
  out.Line("Pacjent: " + SurnameFor(m) + " " + std::string(m.firstName));
  out.Line("Nr kartoteki: " + ZeroPadded(m.patientId, 4));
  out.Line("Data badania: " + PolishDate(m.date) + "  godz. " + Clock(m.hour, m.minute));
  out.Line(std::string("Płeć: ") + (m.male ? "mężczyzna" : "kobieta") +
           "  Wiek: " + std::to_string(m.age) + " lat  Wzrost: " +
           std::to_string(m.heightCm) + " cm  Waga: " + std::to_string(m.weightKg) + " kg");
  PrintTable(out, m, kLabelsB);
  out.Text("Ocena: ").Bold(m.finding->polish).EndLine();
  out.Line("Uwagi: " + std::string(kRemarksB[static_cast<std::size_t>(m.remark) %
                                             kRemarksB.size()]));
  out.Text("Wykonał(a): ")
      .Italic(kOperatorsB[static_cast<std::size_t>(m.operatorIndex)])
      .EndLine();
  out.EndLine();
}

void PrintEndB(Printer& out) { out.Line("KONIEC WYDRUKU").Byte(kFormFeed); }

// ----------------------------------------------------------------- report

struct ModelPrinting {
  void (*header)(Printer&, int);
  void (*preamble)(Printer&, int, const std::chrono::year_month_day&);
  void (*test)(Printer&, int, const Measurement&);
  void (*end)(Printer&);
};

constexpr ModelPrinting kPrintingA{PrintHeaderA, PrintPreambleA, PrintTestA, PrintEndA};
constexpr ModelPrinting kPrintingB{PrintHeaderB, PrintPreambleB, PrintTestB, PrintEndB};

const ModelPrinting& PrintingFor(int modelIndex) {
  return modelIndex == kModelB ? kPrintingB : kPrintingA;
}

UINT CodeFor(const ReportSpec& recipe) {
  return recipe.modelIndex == kModelB ? recipe.deviceCode : kCodeNoPolish;
}

std::chrono::sys_days FirstDay(Random& random) {
  using namespace std::chrono;
  return sys_days{year{2024} / January / 1} + days{random.Between(0, 300)};
}

// Prints the header announcing `announced` and tests until `enough` says
// stop.
template <typename Enough>
SizedReport Print(const ReportSpec& recipe, int announced, Enough enough) {
  const ModelPrinting& model = PrintingFor(recipe.modelIndex);
  // The two models draw different patients from the same seed.
  Random random(recipe.seed ^ (recipe.modelIndex == kModelB ? 0xB0B0B0B0ULL : 0));
  std::chrono::sys_days day = FirstDay(random);
  Printer out(CodeFor(recipe));
  model.header(out, announced);
  model.preamble(out, announced, std::chrono::year_month_day{day + std::chrono::days{30}});
  int printed = 0;
  while (!enough(printed, out.bytes().size())) {
    model.test(out, ++printed, MakeMeasurement(random, day));
  }
  model.end(out);
  return {std::move(out.bytes()), printed};
}

SizedReport PrintTests(const ReportSpec& recipe, int tests) {
  return Print(recipe, tests, [tests](int printed, std::size_t) { return printed >= tests; });
}

}  // namespace

std::vector<std::uint8_t> EncodePolish(std::string_view utf8, UINT code) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    const char32_t c = NextCharacter(utf8, pos);
    if (c < 0x80) {
      bytes.push_back(static_cast<std::uint8_t>(c));
      continue;
    }
    std::uint8_t byte = '?';
    for (const PolishLetter& letter : kPolishLetters) {
      if (letter.letter == c) byte = LetterByte(letter, code);
    }
    bytes.push_back(byte);
  }
  return bytes;
}

std::size_t HeaderSize(int modelIndex) { return modelIndex == kModelB ? 12 : 11; }

std::vector<std::uint8_t> MakeReport(const ReportSpec& recipe) {
  return PrintTests(recipe, recipe.tests < 0 ? 0 : recipe.tests).bytes;
}

SizedReport MakeReportOfSize(const ReportSpec& recipe, std::size_t approxBytes) {
  // The tests do not depend on the announced count, so a first pass finds
  // how many fit and a second prints them with the count in the header.
  const int tests = Print(recipe, 0, [approxBytes](int, std::size_t size) {
                      return size >= approxBytes;
                    }).tests;
  return PrintTests(recipe, tests);
}

}  // namespace zv::sim
