// What the user is told of a transfer whose bytes do not look like a
// report, in the user interface's languages.

#include <array>

#include "transfer/transfer_review.h"

namespace zv {
namespace {

// The sentences, with fields in braces: {baud} the rate chosen, {usual}
// the model's usual rate, {model} "A" or "B", {expected} the tests
// announced.
struct Sentences {
  const char* garbled;
  const char* garbledAtUsualSpeed;  // the rate chosen is the usual one
  const char* announcedNoneSent;
};

// Each language's sentences in both forms.
struct Wording {
  Sentences sentence;
  Sentences statusLine;
};

constexpr Wording kEnglish{{
    "The text looks garbled: the device may be set to another speed than the {baud} b/s "
    "chosen. ZORVEL {model} usually sends at {usual} b/s.",
    "The text looks garbled: the device may be set to another speed than {baud} b/s, the "
    "usual speed of ZORVEL {model}.",
    "Tests announced: {expected}, none arrived: check that the device is a ZORVEL {model} "
    "(or choose the other model) and send the tests again.",
}, {
    "Text garbled: the device may be set to another speed than {baud} b/s (usually {usual} "
    "b/s).",
    "Text garbled: the device may be set to another speed than the usual {baud} b/s.",
    "Tests announced: {expected}, none arrived: is the device a ZORVEL {model}?",
}};

constexpr Wording kPolish{{
    "Tekst wygląda na zniekształcony: urządzenie może nadawać z inną prędkością niż "
    "wybrane {baud} b/s. ZORVEL {model} zwykle nadaje z prędkością {usual} b/s.",
    "Tekst wygląda na zniekształcony: urządzenie może nadawać z inną prędkością niż "
    "{baud} b/s (zwykła prędkość ZORVEL {model}).",
    "Zapowiedziano badań: {expected}, nie dotarło żadne: sprawdź, czy urządzenie to ZORVEL "
    "{model} (albo wybierz drugi model), i wyślij badania ponownie.",
}, {
    "Tekst zniekształcony: prędkość urządzenia inna niż {baud} b/s? (zwykle {usual} b/s)",
    "Tekst zniekształcony: prędkość urządzenia inna niż zwykła ({baud} b/s)?",
    "Zapowiedziano badań: {expected}, nie dotarło żadne: czy to ZORVEL {model}?",
}};

const char* SentenceFor(const TransferReview& review, const TransferFacts& facts,
                        const Sentences& sentences) {
  if (review.garbled) {
    return facts.baud == UsualBaud(facts.modelIndex) ? sentences.garbledAtUsualSpeed
                                                     : sentences.garbled;
  }
  if (review.announcedNoneSent) return sentences.announcedNoneSent;
  return "";
}

}  // namespace

std::string DescribeReview(const TransferReview& review, const TransferFacts& facts,
                           Language language, ReviewForm form) {
  const Wording& wording = language == Language::Polish ? kPolish : kEnglish;
  const Sentences& sentences =
      form == ReviewForm::StatusLine ? wording.statusLine : wording.sentence;
  return FillFields(SentenceFor(review, facts, sentences),
                    std::array<TextField, 4>{{
                        {"baud", std::to_string(facts.baud)},
                        {"usual", std::to_string(UsualBaud(facts.modelIndex))},
                        {"model", facts.modelIndex == kModelB ? "B" : "A"},
                        {"expected", std::to_string(facts.expectedCount)},
                    }});
}

}  // namespace zv
