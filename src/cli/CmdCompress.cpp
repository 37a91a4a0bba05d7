// `shelfwright-cli compress IN OUT` and `shelfwright-cli expand IN OUT`: convert a file to and
// from the LZQ container. The output is written completely before it replaces an existing
// file; a malformed input leaves the output untouched and gives one error line naming the input.
// Unlike the library's expander, which ends quietly at a token cut by the end of its input,
// `expand` reports such a file as damaged: it is a tool for checking files.
#include <memory>
#include <string>
#include <string_view>

#include "cli/Commands.h"
#include "compress/LzqContainer.h"
#include "platform/FileSystem.h"
#include "base/Exceptions.h"
#include "runtime/Streams.h"
#include "util/Messages.h"

namespace sw::cli {

namespace {

struct FilePair {
  std::string In;
  std::string Out;
};

std::string_view AsView(const TMemoryStream& stream) {
  return {reinterpret_cast<const char*>(stream.Memory()), stream.Data().size()};
}

int RunConversion(const FilePair& files, bool expand) {
  std::string data;
  try {
    data = platform::ReadFileBytes(files.In);
  } catch (const Exception& e) {
    PrintError(e.Describe());
    return kExitFailure;
  }
  TMemoryStream source(data);
  data.clear();
  TMemoryStream result;
  try {
    if (expand) {
      TLZQCompressor compressor;
      compressor.SrcStream = &source;
      compressor.DestStream = &result;
      compressor.Expand();
      if (compressor.CutTokenOffset >= 0) throw EQCompressError(Format(SQCompressCutToken, compressor.CutTokenOffset));
    } else {
      CompressStream(source, result);
    }
  } catch (Exception& e) {
    PrintError(e.AttachFile(files.In).Describe());
    return kExitFailure;
  }
  try {
    platform::WriteFileAtomic(files.Out, AsView(result));
  } catch (const Exception& e) {
    PrintError(e.Describe());
    return kExitFailure;
  }
  return kExitOk;
}

void AddConversion(CLI::App& app, const char* name, const char* description, bool expand) {
  auto* cmd = app.add_subcommand(name, description);
  auto files = std::make_shared<FilePair>();
  cmd->add_option("in", files->In, "Input file")->required();
  cmd->add_option("out", files->Out, "Output file (replaced when it exists)")->required();
  cmd->callback([files, expand]() { SetExitCode(RunConversion(*files, expand)); });
}

const CommandRegistration kCompressRegistration(80, [](CLI::App& app) {
  AddConversion(app, "compress", "Compress a file into the LZQ container", false);
  AddConversion(app, "expand", "Expand a file stored in the LZQ container", true);
});

}  // namespace

}  // namespace sw::cli
