#include "store/PropertyListScan.h"

#include <QByteArrayView>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace tockwise {

namespace {

std::uint64_t readBigEndian(const char *bytes, int size)
{
    std::uint64_t value = 0;
    for (int i = 0; i < size; ++i) {
        value = (value << 8) | static_cast<std::uint8_t>(bytes[i]);
    }
    return value;
}

// The binary format: a header, the objects, a table of their offsets and a trailer
// that says where the table is, how wide its entries and the objects' references
// are, and which object is the root.
namespace Binary {
constexpr char header[] = "bplist00";
constexpr qsizetype headerSize = 8;
constexpr qsizetype trailerSize = 32;
// Within the trailer.
constexpr int offsetSizeAt = 6;
constexpr int referenceSizeAt = 7;
constexpr int objectCountAt = 8;
constexpr int rootAt = 16;
constexpr int offsetTableAt = 24;
constexpr int countSize = 8;
// An object's first byte: its type in the high half, a length in the low one; the
// longest length is a marker, an integer object with the true length follows.
constexpr int typeShift = 4;
constexpr std::uint8_t lengthMask = 0xf;
constexpr std::uint64_t lengthFollows = 0xf;
constexpr int integerType = 0x1;
constexpr int asciiType = 0x5;
constexpr int utf16Type = 0x6;
constexpr int utf8Type = 0x7;
constexpr int arrayType = 0xa;
constexpr int setType = 0xc;
constexpr int dictionaryType = 0xd;
} // namespace Binary

// A binary list's objects, as far as its table and their headers can be read.
class BinaryObjects
{
public:
    struct Object
    {
        int type = 0;
        std::uint64_t length = 0; // elements, characters or bytes
        std::uint64_t at = 0;     // where what follows the header begins
    };

    static std::optional<BinaryObjects> of(const QByteArray &bytes)
    {
        if (!bytes.startsWith(Binary::header) ||
            bytes.size() < Binary::headerSize + Binary::trailerSize) {
            return std::nullopt;
        }
        BinaryObjects objects;
        objects.mData = bytes.constData();
        objects.mEnd = static_cast<std::uint64_t>(bytes.size() - Binary::trailerSize);
        const char *trailer = objects.mData + objects.mEnd;
        objects.mOffsetSize = static_cast<std::uint8_t>(trailer[Binary::offsetSizeAt]);
        objects.mReferenceSize = static_cast<std::uint8_t>(trailer[Binary::referenceSizeAt]);
        objects.mCount = readBigEndian(trailer + Binary::objectCountAt, Binary::countSize);
        objects.mRoot = readBigEndian(trailer + Binary::rootAt, Binary::countSize);
        objects.mTable = readBigEndian(trailer + Binary::offsetTableAt, Binary::countSize);
        const auto fits = [](int size) { return size >= 1 && size <= 8; };
        if (!fits(objects.mOffsetSize) || !fits(objects.mReferenceSize) ||
            objects.mTable > objects.mEnd ||
            objects.mCount > (objects.mEnd - objects.mTable) / objects.mOffsetSize) {
            return std::nullopt;
        }
        return objects;
    }

    std::uint64_t count() const { return mCount; }
    std::uint64_t root() const { return mRoot; }
    const char *data() const { return mData; }
    std::uint64_t end() const { return mEnd; }

    std::optional<Object> object(std::uint64_t index) const
    {
        if (index >= mCount) {
            return std::nullopt;
        }
        std::uint64_t at = readBigEndian(mData + mTable + index * mOffsetSize, mOffsetSize);
        if (at >= mEnd) {
            return std::nullopt;
        }
        const auto marker = static_cast<std::uint8_t>(mData[at]);
        Object object;
        object.type = marker >> Binary::typeShift;
        object.length = marker & Binary::lengthMask;
        object.at = at + 1;
        if (object.length == Binary::lengthFollows && object.type != Binary::integerType) {
            at = object.at;
            if (at >= mEnd || (static_cast<std::uint8_t>(mData[at]) >> Binary::typeShift) !=
                                  Binary::integerType) {
                return std::nullopt;
            }
            // An integer's low half is the power of two of its width in bytes.
            const int lengthSize = 1 << (mData[at] & Binary::lengthMask);
            if (lengthSize > 8 || mEnd - at - 1 < static_cast<std::uint64_t>(lengthSize)) {
                return std::nullopt;
            }
            object.length = readBigEndian(mData + at + 1, lengthSize);
            object.at = at + 1 + lengthSize;
        }
        return object;
    }

    // The references of an array, a set or a dictionary (its keys, then its values).
    std::uint64_t referenceCount(const Object &container) const
    {
        const std::uint64_t room = (mEnd - container.at) / mReferenceSize;
        const std::uint64_t perElement = container.type == Binary::dictionaryType ? 2 : 1;
        return container.length <= room / perElement ? container.length * perElement : 0;
    }
    std::uint64_t reference(const Object &container, std::uint64_t n) const
    {
        return readBigEndian(mData + container.at + n * mReferenceSize, mReferenceSize);
    }

private:
    const char *mData = nullptr;
    std::uint64_t mEnd = 0;
    int mOffsetSize = 0;
    int mReferenceSize = 0;
    std::uint64_t mCount = 0;
    std::uint64_t mRoot = 0;
    std::uint64_t mTable = 0;
};

bool isContainer(int type)
{
    return type == Binary::arrayType || type == Binary::setType || type == Binary::dictionaryType;
}

// Walks the containers from the root down, each once, keeping each object's
// height (the most containers on a chain from it down) and its size (the values
// it makes once every reference is followed, counted up to past the limit).
// Objects may be shared: walking every path could take as long as the library.
class BinaryWalk
{
public:
    BinaryWalk(const BinaryObjects &objects, std::size_t depthLimit, std::uint64_t valueLimit)
        : mObjects(objects), mDepthLimit(depthLimit), mValueLimit(valueLimit),
          mKnown(objects.count())
    {}

    bool exceeds()
    {
        if (mObjects.count() > mValueLimit || !enter(mObjects.root())) {
            return true;
        }
        while (!mChain.empty()) {
            Step &step = mChain.back();
            if (step.next < mObjects.referenceCount(step.container)) {
                if (!enter(mObjects.reference(step.container, step.next++))) {
                    return true;
                }
                continue;
            }
            const Known done{step.below.height + 1, capped(std::uint64_t{step.below.size} + 1)};
            const std::uint64_t index = step.index;
            mChain.pop_back();
            mKnown[index] = done;
            if (!enter(index)) {
                return true;
            }
        }
        return false;
    }

private:
    struct Known
    {
        std::uint32_t height = 0;
        std::uint32_t size = 0; // 0: not seen yet
        bool onChain = false;
    };
    struct Step
    {
        std::uint64_t index;
        BinaryObjects::Object container;
        std::uint64_t next = 0;
        Known below; // the greatest height and the sum of sizes of its elements so far
    };

    std::uint32_t capped(std::uint64_t size) const
    {
        return static_cast<std::uint32_t>(std::min(size, mValueLimit + 1));
    }

    // Takes `index` into the walk below the chain's last container; false where it
    // makes the chain too deep, the values too many, or a loop.
    bool enter(std::uint64_t index)
    {
        if (index >= mKnown.size()) {
            return true; // the library refuses a reference to no object
        }
        Known &object = mKnown[index];
        if (object.onChain) {
            return false;
        }
        if (object.size == 0) {
            const std::optional<BinaryObjects::Object> found = mObjects.object(index);
            if (found && isContainer(found->type)) {
                if (mChain.size() >= mDepthLimit) {
                    return false;
                }
                object.onChain = true;
                mChain.push_back({index, *found, 0, {}});
                return true;
            }
            object.size = 1;
        }
        if (!mChain.empty()) {
            Known &below = mChain.back().below;
            below.height = std::max(below.height, object.height);
            below.size = capped(std::uint64_t{below.size} + object.size);
        }
        return mChain.size() + object.height <= mDepthLimit && object.size <= mValueLimit;
    }

    const BinaryObjects &mObjects;
    const std::size_t mDepthLimit;
    const std::uint64_t mValueLimit;
    std::vector<Known> mKnown;
    std::vector<Step> mChain;
};

bool binaryExceeds(const BinaryObjects &objects, std::size_t depthLimit, std::uint64_t valueLimit)
{
    return BinaryWalk(objects, depthLimit, valueLimit).exceeds();
}

// Counts the opening and closing tags of arrays and dictionaries; whatever else
// the document holds is the library's to judge.
bool xmlNestsDeeperThan(const QByteArray &bytes, std::size_t limit)
{
    const QByteArrayView text(bytes);
    std::size_t depth = 0;
    for (qsizetype at = text.indexOf('<'); at >= 0; at = text.indexOf('<', at + 1)) {
        const QByteArrayView tag = text.sliced(at);
        if (tag.startsWith("<!--") || tag.startsWith("<![CDATA[")) {
            at = text.indexOf(tag.startsWith("<!--") ? "-->" : "]]>", at);
            if (at < 0) {
                break;
            }
            continue;
        }
        const bool closing = tag.startsWith("</");
        const QByteArrayView name = tag.sliced(closing ? 2 : 1);
        if (!name.startsWith("array") && !name.startsWith("dict")) {
            continue;
        }
        const qsizetype end = text.indexOf('>', at);
        if (end < 0) {
            break;
        }
        if (closing) {
            depth -= depth > 0 ? 1 : 0;
        } else if (text[end - 1] != '/' && ++depth > limit) {
            return true;
        }
        at = end;
    }
    return false;
}

} // namespace

namespace PropertyListScan {

bool exceeds(const QByteArray &bytes, int depthLimit, std::uint64_t valueLimit)
{
    const auto depth = static_cast<std::size_t>(std::max(depthLimit, 0));
    if (bytes.startsWith(Binary::header)) {
        const std::optional<BinaryObjects> objects = BinaryObjects::of(bytes);
        return objects && binaryExceeds(*objects, depth, valueLimit);
    }
    return xmlNestsDeeperThan(bytes, depth);
}

bool binaryStringHoldsNul(const QByteArray &bytes)
{
    const std::optional<BinaryObjects> objects = BinaryObjects::of(bytes);
    if (!objects) {
        return false;
    }
    for (std::uint64_t i = 0; i < objects->count(); ++i) {
        const std::optional<BinaryObjects::Object> object = objects->object(i);
        if (!object || object->type < Binary::asciiType || object->type > Binary::utf8Type) {
            continue;
        }
        const std::uint64_t unit = object->type == Binary::utf16Type ? 2 : 1;
        if (object->length > (objects->end() - object->at) / unit) {
            continue;
        }
        for (std::uint64_t j = 0; j < object->length; ++j) {
            const char *c = objects->data() + object->at + j * unit;
            if (c[0] == 0 && (unit == 1 || c[1] == 0)) {
                return true;
            }
        }
    }
    return false;
}

} // namespace PropertyListScan

} // namespace tockwise
