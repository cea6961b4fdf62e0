// What the user is told when a serial port cannot be opened, in the user
// interface's languages.

#include <array>
#include <string_view>

#include "support/paths.h"
#include "support/port_map.h"
#include "support/rs232.h"

namespace zv {
namespace {

// The sentences, with fields in braces filled in by DescribePortError:
// {port} the port and its device, {com} the COM number, {advice} how to
// point a COM number at another device, {system} the system's words in
// brackets, {reason} the system's words alone, {baud} the rate asked for.
// Polish puts {port} and {com} where the genitive stands.
struct Sentences {
  const char* noPortSelected;
  const char* unmapped;  // no device is known for the COM number
  const char* noDevice;
  const char* permissionDenied;
  const char* busy;
  const char* notSerial;
  const char* badBaudRate;
  const char* other;
  const char* advice;  // fields {key}, {example}, {file}
  const char* anyPort;  // {port} when neither COM number nor device is known
  const char* anyCom;   // {com} when no COM number is known
  const char* unknownError;
};

constexpr Sentences kEnglish{
    "No serial port is selected: choose a COM port and try again.",
    "{port} has no device on this computer: to use it, add {advice}.",
    "Cannot open {port} because the device does not exist or nothing is connected to "
    "it{system}: connect the instrument's cable or adapter, or point {com} at the right "
    "device with {advice}.",
    "Cannot open {port} because permission was denied: add your user to the \"dialout\" "
    "group (for example: sudo usermod -aG dialout $USER), then log out and in again.",
    "Cannot open {port} because another program is using the port: close that program and "
    "try again.",
    "Cannot open {port} because it is not a serial line{system}: point {com} at a serial "
    "device with {advice}.",
    "Cannot open {port} at {baud} baud: choose 4800, 9600 or 19200 baud.",
    "Cannot open {port}: {reason}.",
    "a line such as {key}={example} in section [Ports] of the settings file {file}",
    "the serial port",
    "a COM number",
    "unknown error",
};

constexpr Sentences kPolish{
    "Nie wybrano portu szeregowego: wybierz port COM i spróbuj ponownie.",
    "Brak urządzenia dla {port} na tym komputerze: aby go użyć, dodaj {advice}.",
    "Nie można otworzyć {port}, ponieważ urządzenie nie istnieje albo nic nie jest do niego "
    "podłączone{system}: podłącz kabel lub adapter spirometru albo wskaż dla {com} właściwe "
    "urządzenie, dodając {advice}.",
    "Nie można otworzyć {port}, ponieważ odmówiono dostępu: dodaj swojego użytkownika do "
    "grupy \"dialout\" (na przykład: sudo usermod -aG dialout $USER), a potem wyloguj się i "
    "zaloguj ponownie.",
    "Nie można otworzyć {port}, ponieważ port jest używany przez inny program: zamknij ten "
    "program i spróbuj ponownie.",
    "Nie można otworzyć {port}, ponieważ nie jest to łącze szeregowe{system}: wskaż dla {com} "
    "urządzenie szeregowe, dodając {advice}.",
    "Nie można otworzyć {port} z prędkością {baud} b/s: wybierz 4800, 9600 lub 19200 b/s.",
    "Nie można otworzyć {port}: {reason}.",
    "wiersz taki jak {key}={example} w sekcji [Ports] pliku ustawień {file}",
    "portu szeregowego",
    "numeru COM",
    "nieznany błąd",
};

const Sentences& SentencesIn(Language language) {
  return language == Language::Polish ? kPolish : kEnglish;
}

const char* SentenceFor(const PortError& error, const Sentences& sentences) {
  switch (error.kind) {
    case PortErrorKind::None:
      return "";
    case PortErrorKind::NoPortSelected:
      return sentences.noPortSelected;
    case PortErrorKind::NoDevice:
      return error.device.empty() ? sentences.unmapped : sentences.noDevice;
    case PortErrorKind::PermissionDenied:
      return sentences.permissionDenied;
    case PortErrorKind::Busy:
      return sentences.busy;
    case PortErrorKind::NotSerial:
      return sentences.notSerial;
    case PortErrorKind::BadBaudRate:
      return sentences.badBaudRate;
    case PortErrorKind::Other:
      break;
  }
  return sentences.other;
}

std::string ComName(int com) { return "COM" + std::to_string(com); }

// "COM3 (/dev/ttyS2)", "COM99", or the bare device for a port opened by
// path.
std::string PortLabel(const PortError& error, const Sentences& sentences) {
  if (error.com <= 0) return error.device.empty() ? sentences.anyPort : error.device;
  if (error.device.empty()) return ComName(error.com);
  return ComName(error.com) + " (" + error.device + ")";
}

std::string MappingAdvice(const PortError& error, const Sentences& sentences) {
  return FillFields(sentences.advice,
                    std::array<TextField, 3>{{{"key", ComName(error.com > 0 ? error.com : 1)},
                                              {"example", PortDeviceExample()},
                                              {"file", SettingsFilePath().string()}}});
}

}  // namespace

std::string DescribePortError(const PortError& error, Language language) {
  const Sentences& sentences = SentencesIn(language);
  const std::string& system = error.systemText;
  return FillFields(SentenceFor(error, sentences),
                    std::array<TextField, 6>{{
                        {"port", PortLabel(error, sentences)},
                        {"com", error.com > 0 ? ComName(error.com) : sentences.anyCom},
                        {"advice", MappingAdvice(error, sentences)},
                        {"system", system.empty() ? "" : " (" + system + ")"},
                        {"reason", system.empty() ? sentences.unknownError : system},
                        {"baud", std::to_string(error.baud)},
                    }});
}

}  // namespace zv
