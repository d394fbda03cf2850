// out() into a C++ stream, for callers that capture what a routine prints
// (the tests).  Apart from list_output.cpp so that the programs link none of
// the stream library.
#include <ostream>

#include "text/list_output.h"

namespace zelpra {

namespace {

class StreamSink final : public OutputSink {
 public:
  std::ostream* stream = nullptr;
  void write(std::string_view text) override {
    stream->write(text.data(), static_cast<std::streamsize>(text.size()));
  }
  bool flush() override { return static_cast<bool>(stream->flush()); }
};

StreamSink g_stream_sink;

}  // namespace

void set_out(std::ostream* stream) {
  g_stream_sink.stream = stream;
  out().set_sink(stream != nullptr ? &g_stream_sink : nullptr);
}

}  // namespace zelpra
