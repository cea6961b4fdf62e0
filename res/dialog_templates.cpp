#include "res/dialog_templates.h"

#include <array>

#include "res/resource.h"
#include "zv_version.h"

namespace zv {
namespace {

using K = ControlKind;

constexpr const char* kTitle = "ZORVEL Reader";
constexpr const char* kFontName = "MS Sans Serif";
constexpr int kFontPoints = 8;

constexpr std::array kMainEnglish{
    ControlTemplate{IDC_START, K::DefPushButton, "START !", {148, 39, 65, 20}},
    ControlTemplate{IDC_SETTINGS, K::PushButton, "&Settings", {27, 129, 50, 14}},
    ControlTemplate{IDC_SAVE, K::PushButton, "&Save", {100, 129, 50, 14}},
    ControlTemplate{IDOK, K::PushButton, "&Done", {173, 129, 50, 14}},
    ControlTemplate{IDC_STATIC, K::GroupBox, "Test Transmission to PC", {20, 16, 209, 95}},
    ControlTemplate{IDC_MODEL_A, K::RadioButtonGroupStart, "ZORVEL A", {35, 36, 80, 9}},
    ControlTemplate{IDC_MODEL_B, K::RadioButton, "ZORVEL B", {35, 50, 80, 9}},
    ControlTemplate{IDC_PROGRESS, K::ProgressBar, "", {37, 73, 174, 16}},
    ControlTemplate{IDC_STATUS, K::StaticCentred, "Transmited test: 0/0", {30, 95, 191, 16}},
    ControlTemplate{IDC_SETTINGS_FRAME, K::GroupBox, "&Communication settings", {20, 153, 209, 36}},
    ControlTemplate{IDC_BAUD, K::DropDownCombo, "", {165, 167, 51, 34}},
    ControlTemplate{IDC_STATIC, K::StaticRight, "Baud Rate:", {118, 170, 41, 9}, true, IDC_BAUD},
    ControlTemplate{IDC_CODE_DEST, K::DropDownCombo, "", {139, 112, 79, 46}, false},
    ControlTemplate{IDC_CODE_SOURCE, K::DropDownCombo, "", {51, 112, 79, 33}, false},
    ControlTemplate{IDC_STATIC, K::StaticRight, "Port:", {36, 170, 16, 8}, true, IDC_PORT},
    ControlTemplate{IDC_PORT, K::DropDownCombo, "", {59, 167, 51, 34}},
};

constexpr std::array kMainPolish{
    ControlTemplate{IDC_START, K::DefPushButton, "Transmituj !", {148, 39, 65, 20}},
    ControlTemplate{IDC_SETTINGS, K::PushButton, "Ustawienia", {27, 129, 50, 14}},
    ControlTemplate{IDC_SAVE, K::PushButton, "Zapisz", {100, 129, 50, 14}},
    ControlTemplate{IDOK, K::PushButton, "Koniec", {173, 129, 50, 14}},
    ControlTemplate{IDC_STATIC, K::GroupBox, "Transmisja badań ze spirometru do komputera", {20, 16, 209, 95}},
    ControlTemplate{IDC_MODEL_A, K::RadioButtonGroupStart, "ZORVEL A", {35, 36, 80, 9}},
    ControlTemplate{IDC_MODEL_B, K::RadioButton, "ZORVEL B", {35, 51, 80, 9}},
    ControlTemplate{IDC_PROGRESS, K::ProgressBar, "", {37, 73, 174, 16}},
    ControlTemplate{IDC_STATUS, K::StaticCentred, "Przetransmitowano badań: 0/0", {29, 95, 194, 16}},
    ControlTemplate{IDC_SETTINGS_FRAME, K::GroupBox, "Ustawienia transmisji", {7, 154, 103, 63}},
    ControlTemplate{IDC_BAUD, K::DropDownCombo, "", {53, 197, 51, 34}},
    ControlTemplate{IDC_STATIC, K::StaticRight, "Prędkość:", {13, 199, 33, 9}, true, IDC_BAUD},
    ControlTemplate{IDC_STATIC, K::GroupBox, "Kodowanie polskich znaków", {117, 154, 127, 64}},
    ControlTemplate{IDC_CODE_DEST, K::DropDownCombo, "", {158, 197, 79, 46}},
    ControlTemplate{IDC_STATIC, K::StaticRight, "do pliku", {125, 199, 26, 9}, true, IDC_CODE_DEST},
    ControlTemplate{IDC_CODE_SOURCE, K::DropDownCombo, "", {158, 170, 79, 33}},
    ControlTemplate{IDC_STATIC, K::StaticRight, "ZVB", {126, 172, 25, 9}, true, IDC_CODE_SOURCE},
    ControlTemplate{IDC_STATIC, K::StaticRight, "Port:", {13, 170, 33, 8}, true, IDC_PORT},
    ControlTemplate{IDC_PORT, K::DropDownCombo, "", {53, 170, 51, 48}},
};

constexpr std::array kAbout{
    ControlTemplate{IDR_MAINFRAME, K::Icon, "", {11, 17, 20, 20}},
    ControlTemplate{IDC_STATIC, K::StaticNoPrefix, "ZVReader Version " ZV_VERSION_MAJOR_MINOR, {40, 10, 119, 8}},
    ControlTemplate{IDC_STATIC, K::StaticLeft, "Copyright (C) 2024", {40, 25, 119, 8}},
    ControlTemplate{IDOK, K::DefPushButton, "OK", {178, 7, 50, 14}},
};

constexpr DialogTemplate kMainEnglishTemplate{IDD_MAIN, kTitle, kFontName, kFontPoints, 251, 196, kMainEnglish};
constexpr DialogTemplate kMainPolishTemplate{IDD_MAIN, kTitle, kFontName, kFontPoints, 251, 225, kMainPolish};
constexpr DialogTemplate kAboutTemplate{IDD_ABOUTBOX, "About ZVReader", kFontName, kFontPoints, 235, 55, kAbout};

}  // namespace

bool HasTabStop(ControlKind kind) {
  switch (kind) {
    case K::DefPushButton:
    case K::PushButton:
    case K::DropDownCombo:
      return true;
    default:
      return false;
  }
}

std::string AccessibleLabel(const DialogTemplate& dialog, int id) {
  for (const ControlTemplate& control : dialog.controls) {
    if (control.labelFor != id || id == 0) continue;
    std::string name;
    for (const char* c = control.text; *c != '\0'; ++c) {
      if (*c == '&' && *++c == '\0') break;  // "&&" stands for one '&'
      name += *c;
    }
    return name;
  }
  return {};
}

const DialogTemplate& MainDialogTemplate(Language language) {
  return language == Language::Polish ? kMainPolishTemplate : kMainEnglishTemplate;
}

const DialogTemplate& AboutDialogTemplate() { return kAboutTemplate; }

}  // namespace zv
