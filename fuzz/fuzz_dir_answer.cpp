// The DIR answer parser fed any bytes as the transfer feeds them: all of one
// pass, even past the end of the answer. Its three fields must hold what the
// answer's shape puts there (name up to the first space, CRs skipped; size up
// to a CR after at least four bytes; the prompt line up to a space or CR),
// never more than 16 bytes each, and its verdict must follow from them.
#include <QByteArray>
#include <array>

#include "DirAnswer.h"
#include "FuzzSupport.h"
#include "MonitorAnswerText.h"

namespace {

constexpr std::uint8_t CarriageReturn = 0x0D;
constexpr std::uint8_t Space = 0x20;
constexpr int FieldBytes = DirAnswer::FieldBytes;

// The answer's fields as its shape gives them, read straight from the bytes.
struct Shape {
    std::array<QByteArray, 3> fields;
    int complete = 0;    // fields ended by their separator
    bool ended = false;  // the CR after the prompt line came
};

Shape shapeOf(const std::uint8_t* data, std::size_t size) {
    Shape shape;
    for (std::size_t i = 0; i < size && shape.complete < 3; ++i) {
        const std::uint8_t b = data[i];
        QByteArray& field = shape.fields[static_cast<std::size_t>(shape.complete)];
        const bool ends =
            shape.complete == 1 ? b == CarriageReturn && field.size() >= 4 : b == Space;
        if (ends) {
            ++shape.complete;
        } else if (shape.complete == 2 && b == CarriageReturn) {
            shape.ended = true;
        } else if (b != CarriageReturn || shape.complete == 1) {
            field.append(static_cast<char>(b));
        }
    }
    return shape;
}

QByteArray padded(const QByteArray& field) {
    return field.left(FieldBytes).leftJustified(FieldBytes, '\0');
}

QByteArray bytesOf(const std::array<std::uint8_t, FieldBytes>& field) {
    return QByteArray(reinterpret_cast<const char*>(field.data()), FieldBytes);
}

// The verdict for the answer's own name, and for a name it does not give.
void checkVerdict(const DirAnswerParser& parser, const Shape& shape) {
    using Verdict = DirAnswerParser::Verdict;
    const QByteArray& name = shape.fields[0];
    const QByteArray& size = shape.fields[1];
    const QByteArray firstLine = shape.complete == 0 ? name : name + ' ' + size;
    FUZZ_CHECK(parser.firstLine() == firstLine);
    const QByteArray asked = parser.fileName().toLower();
    const Verdict verdict = parser.verdict(asked);
    const Verdict otherName = parser.verdict(asked + "~");
    if (verdict != Verdict::FileEntry) {
        FUZZ_CHECK(otherName == verdict);
        return;
    }
    FUZZ_CHECK(otherName == Verdict::OtherFile);
    FUZZ_CHECK(shape.complete == 2 && size.size() == 4 && !name.isEmpty());
    FUZZ_CHECK(name.size() <= FieldBytes && IsMonitorPrompt(shape.fields[2]));
    const auto sizeByte = [&size](int i) { return std::uint32_t{std::uint8_t(size[i])}; };
    FUZZ_CHECK(parser.fileSize() ==
               (sizeByte(0) | sizeByte(1) << 8 | sizeByte(2) << 16 | sizeByte(3) << 24));
    // The name is cut at its zero bytes' count, as the monitor's names have none.
    FUZZ_CHECK(name.startsWith(parser.fileName()) && !parser.fileName().isEmpty());
    FUZZ_CHECK(name.contains('\0') || parser.fileName() == name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    DirAnswer answer;
    DirAnswerParser parser(answer);
    parser.start();
    for (std::size_t i = 0; i < size; ++i) {
        // Every byte up to the end of the third field belongs to the answer.
        const bool inFields = answer.DirFieldCount < 3;
        FUZZ_CHECK(parser.feed(data[i]) == inFields);
    }
    const Shape shape = shapeOf(data, size);
    FUZZ_CHECK(bytesOf(answer.DirName) == padded(shape.fields[0]));
    FUZZ_CHECK(bytesOf(answer.DirSize) == padded(shape.fields[1]));
    FUZZ_CHECK(bytesOf(answer.DirTail) == padded(shape.fields[2]));
    FUZZ_CHECK(parser.finished() == shape.ended);
    // The transfer gives up on an answer that never ends: it has no verdict.
    if (parser.finished()) {
        parser.finish();
        FUZZ_CHECK(answer.DirFieldCount <= 3);
        checkVerdict(parser, shape);
    }
    return 0;
}
