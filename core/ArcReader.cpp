#include "core/ArcReader.h"

#include <new>
#include <vector>

#include "core/ArcState.h"
#include "core/platform/Cp936.h"
#include "core/platform/FileIdentity.h"
#include "core/platform/VbError.h"

namespace tessarin {

namespace {

// Sequential reads over an open file through a block buffer, so a directory of
// tens of thousands of records costs a few system calls, not one per field.
class BufferedReader {
public:
    explicit BufferedReader(BinaryFile& file) : file_(file), buffer_(kBlock) {}

    // Next byte, or -1 at the end of the file.
    int NextByte() {
        if (pos_ == end_ && !Refill()) return -1;
        return buffer_[pos_++];
    }

    // count characters of code page 936 text (a lead byte and its trail are one);
    // a file that ends before the last character is complete is error 62.
    std::string ReadChars(int count) {
        std::string bytes;
        bytes.reserve(static_cast<std::size_t>(count) + 8);
        for (int i = 0; i < count; ++i) {
            int b = NextByte();
            if (b < 0) throw VbError(vberr::InputPastEnd);
            bytes.push_back(static_cast<char>(b));
            if (IsCp936LeadByte(static_cast<unsigned char>(b))) {
                int trail = NextByte();
                if (trail < 0) throw VbError(vberr::InputPastEnd);
                bytes.push_back(static_cast<char>(trail));
            }
        }
        return bytes;
    }

    // A little-endian integer; bytes missing at the end of the file read as zero,
    // as a short read of a number is not an error in this format.
    std::uint32_t ReadLE(int width) {
        std::uint32_t value = 0;
        for (int i = 0; i < width; ++i) {
            int b = NextByte();
            if (b < 0) break;
            value |= static_cast<std::uint32_t>(b) << (8 * i);
        }
        return value;
    }

private:
    static constexpr std::size_t kBlock = 1 << 16;

    bool Refill() {
        end_ = file_.Read(buffer_.data(), buffer_.size());
        pos_ = 0;
        return end_ > 0;
    }

    BinaryFile& file_;
    std::vector<unsigned char> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
};

}  // namespace

ArcReadResult ReadArcDirectory(BinaryFile& file, const ExtTypeTable& ExtTypes, ArcEntryList& ArcEntries,
                               ArcReadReceiver& receiver) {
    ArcReadResult result;
    try {
        file.Seek(0);
        BufferedReader in(file);
        if (in.ReadChars(4) != std::string("ARC\0", 4)) {
            result.status = ArcReadResult::Status::WrongMagic;
            return result;
        }
        receiver.MagicAccepted();
        ArcEntries.clear();

        result.version = static_cast<std::int16_t>(in.ReadLE(2));
        receiver.VersionRead(result.version);
        result.count = static_cast<std::int16_t>(in.ReadLE(2));
        receiver.CountRead(result.count);
        if (result.count > 0) ArcEntries.reserve(static_cast<std::size_t>(result.count));

        const ExtTypeIndex types(ExtTypes);  // one hash of the table, not a scan per record
        DirectoryRecord record;
        for (int i = 1; i <= result.count; ++i) {
            receiver.RecordStarting(i);
            record.rawName = DropZeroCharacters(in.ReadChars(kNameChars));
            record.fullName = Cp936ToText(record.rawName);
            record.typeCode = static_cast<std::int32_t>(in.ReadLE(4));
            record.storedSize = static_cast<std::int32_t>(in.ReadLE(4));
            auto orgSize = OrgSizeFromField(static_cast<std::int32_t>(in.ReadLE(4)));
            if (!orgSize) throw VbError(vberr::Overflow);
            record.originalSize = *orgSize;
            record.dataOffset = static_cast<std::int32_t>(in.ReadLE(4));

            const std::string hex = TypeCodeHex(record.typeCode);
            const std::string& type = types.LookupExtType(hex);
            const std::string fileName = BaseNameOf(record.fullName) + "." + type;
            AddArcEntry(ArcEntries, fileName, FolderPathOf(record.fullName), record.fullName, type,
                        record.storedSize, record.originalSize, record.dataOffset, hex);
            receiver.EntryAdded(ArcEntries.back(), record);
        }
    } catch (const VbError& error) {
        result.Fail(error.number(), error.description());
    } catch (const std::bad_alloc&) {
        result.Fail(vberr::OutOfMemory, VbErrorDescription(vberr::OutOfMemory));
    }
    return result;
}

ArcReadResult ReadArcFile(const std::string& path, const ExtTypeTable& ExtTypes, ArcEntryList& ArcEntries,
                          ArcReadReceiver& receiver) {
    BinaryFile file;
    try {
        file = OpenLockedCurrent(path, OpenMode::ReadLocked);
    } catch (const VbError& error) {
        ArcReadResult result;
        result.Fail(error.number(), error.description());
        return result;
    }
    return ReadArcDirectory(file, ExtTypes, ArcEntries, receiver);
}

}  // namespace tessarin
