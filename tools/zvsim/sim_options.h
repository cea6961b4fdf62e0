#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "support/plcode.h"

namespace zv::sim {

struct SimOptions {
  int modelIndex = -1;         // 0 ZORVEL A, 1 ZORVEL B; required
  int tests = 5;               // 0-255
  unsigned baud = 0;           // 0: the model's default (4800 A, 9600 B)
  double speed = 1.0;          // how many times faster than the line
  std::string link;            // a symlink to the device, removed at exit
  std::string play;            // send this file instead of a report
  std::string dump;            // write what each reader was sent here
  bool once = false;           // exit after the first reader
  int repeat = 1;              // sends of the stream to each reader
  double pause = 3.0;          // seconds between them
  std::uint64_t seed = 1;
  UINT deviceCode = kCodeLatin2;  // ZORVEL B: rs232 kCodeMazovia, usb kCodeLatin2
  bool help = false;

  unsigned Baud() const;
};

struct SimParse {
  SimOptions options;
  std::string error;  // empty when the command line was understood
  bool ok() const { return error.empty(); }
};

SimParse ParseSimOptions(std::span<const std::string> args);
std::string SimUsage();

}  // namespace zv::sim
