#include "tools/message_flood.h"

#include "tools/output.h"
#include "tools/value_format.h"

namespace zarvtool {

namespace {

struct Batch {
    std::FILE* to = nullptr;
    size_t count = 0;
};

Batch& Current() {
    static Batch batch;
    return batch;
}

void Put(std::FILE* to, const std::string& line) {
    if (to == stdout)
        WriteStdout(line + "\n");
    else
        std::fprintf(to, "%s\n", line.c_str());
}

}  // namespace

void PrintLimited(std::FILE* to, const std::string& line) {
    Batch& batch = Current();
    batch.to = to;
    if (batch.count++ < kFloodShown) Put(to, line);
}

void EndFlood() {
    Batch& batch = Current();
    if (batch.count > kFloodShown)
        Put(batch.to,
            "zarvqen: " + CountOf(batch.count - kFloodShown, "more message", "more messages") +
                " not shown, " + std::to_string(batch.count) + " in all");
    batch = Batch{};
}

}  // namespace zarvtool
