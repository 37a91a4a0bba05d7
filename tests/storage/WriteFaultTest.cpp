// Writers that write into a stream (the LZQ container, the language file's
// strings and values, the binary form writer), each handed a stream that fails
// after every possible number of bytes: the failure comes out as EWriteError
// "Stream write error", never as silence or as another error, and what the
// stream holds is the true beginning of what the writer writes whole. The
// writers that replace files are failed below them, by the file-size limit
// (ReplaceFileTest), where the old file must stay byte for byte.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "compress/LzqContainer.h"
#include "runtime/FormTextConverter.h"
#include "runtime/Streams.h"
#include "storage/LngStrings.h"
#include "storage/UnitsTree.h"
#include "storage/LocStorage.h"
#include "support/FailingStream.h"
#include "support/TestSupport.h"

namespace sw {
namespace {

struct StreamWriter {
  std::string Name;
  std::function<void(TStream&)> Write;
};

std::string Text(int lines) {
  std::string text;
  for (int i = 0; i < lines; ++i) text += "Line" + std::to_string(i % 7) + "=some text of a line\r\n";
  return text;
}

std::vector<StreamWriter> Writers() {
  return {
      {"LZQ container",
       [](TStream& out) {
         TMemoryStream source(Text(60));
         CompressStreamFromStart(source, out);
       }},
      {"language-file strings, version 7",
       [](TStream& out) {
         WriteAnsiString(out, "TMainForm.Caption", 7);
         WriteWideString(out, std::u16string(200, u'\u00E9'), 7);
         WriteLength(out, 70000, 7);
       }},
      {"language-file strings, version 5",
       [](TStream& out) {
         WriteAnsiString(out, "Unit1", 5);
         WriteWideString(out, u"Gr\u00FC\u00DFe", 5);
       }},
      {"language-file value",
       [](TStream& out) {
         TLocStorage storage;
         TLocValue* value = storage.FindOrAddConstant(1, "Strings", 0, "SHello")->NativeValue();
         value->SetText(u"Hello, world");
         value->SetRevision(3);
         value->SaveValue(out, 7);
       }},
      {"binary form",
       [](TStream& out) {
         ObjectTextToBinary("object Main: TForm\r\n  Caption = 'Main'\r\n  Items.Strings = (\r\n    'a'\r\n"
                            "    'b')\r\n  object Ok: TButton\r\n    Tag = 7\r\n  end\r\nend\r\n",
                            out);
       }},
  };
}

TEST(WriteFaultTest, AStreamThatFailsAfterAnyNumberOfBytesRaisesWriteError) {
  for (const StreamWriter& writer : Writers()) {
    SCOPED_TRACE(writer.Name);
    TMemoryStream whole;
    writer.Write(whole);
    const std::string bytes = whole.AsString();
    ASSERT_FALSE(bytes.empty());
    for (std::size_t capacity = 0; capacity < bytes.size(); ++capacity) {
      SCOPED_TRACE("failing after " + std::to_string(capacity) + " bytes");
      TFailingStream out(capacity);
      EXPECT_THROW_MSG(writer.Write(out), EWriteError, SWriteError);
      EXPECT_GT(out.Failures(), 0);
      EXPECT_EQ(out.AsString(), bytes.substr(0, out.AsString().size()));
      if (HasFailure()) break;  // one capacity tells the fault; the rest would repeat it
    }
    TFailingStream enough(bytes.size());
    EXPECT_NO_THROW(writer.Write(enough));
    EXPECT_EQ(enough.Failures(), 0);
    EXPECT_EQ(enough.AsString(), bytes);
  }
}

}  // namespace
}  // namespace sw
