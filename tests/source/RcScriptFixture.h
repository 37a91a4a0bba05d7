// What the resource-script tests share: a C++ loader in resource-script mode,
// a scratch folder, and the loaded constants as "Name=Id=Value".
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "extract/source/SourceReaders.h"
#include "support/TestSupport.h"

namespace sw::testing {

class RcScriptFixture : public ::testing::Test {
 protected:
  using Strings = std::vector<std::string>;

  // Writes the script to <name>.rc and loads it.
  Strings LoadScript(const std::string& script, const std::string& name) {
    path = dir.Write(name + ".rc", script);
    processor.LoadConstants(path);
    return Constants();
  }
  Strings Constants() const {
    Strings result;
    for (const auto& c : processor.UnitRec().Constants)
      result.push_back(c->Name + "=" + std::to_string(c->Id) + "=" + c->Value);
    return result;
  }
  // The loader's message for a script it rejects.
  static std::string FormatError(const std::string& file, int line, const std::string& detail) {
    return "Wrong format of RC file\r\nFile \"" + file + "\"\r\nLine: " + std::to_string(line) + "\r\n" + detail;
  }

  TempDir dir;
  std::string path;
  TCPPProcessor processor;
};

}  // namespace sw::testing
