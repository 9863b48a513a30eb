// Invariant checks of the fuzz targets. A broken invariant aborts with the condition and its
// place, so libFuzzer keeps the input and the replay test fails on it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

[[noreturn]] void FuzzCheckFailed(const char* condition, const char* file, int line);

#define FUZZ_CHECK(condition) \
    ((condition) ? static_cast<void>(0) : FuzzCheckFailed(#condition, __FILE__, __LINE__))

namespace fuzz {

// Takes typed values from the front of the input; what is left is the rest.
class InputReader {
public:
    InputReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    template <typename T>
    T Take() {
        T value{};
        std::uint8_t* out = reinterpret_cast<std::uint8_t*>(&value);
        for (std::size_t i = 0; i < sizeof(T) && size_ > 0; ++i, ++data_, --size_) out[i] = *data_;
        return value;
    }
    std::string Rest() const { return std::string(reinterpret_cast<const char*>(data_), size_); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

}  // namespace fuzz

namespace fuzz {

// A private folder (in $TMPDIR, else /tmp) made HOME, XDG_*, TMPDIR and the machine state folder of
// this process, removed at exit: no target touches the machine's real folders. Returns the folder.
const std::string& PrivateHome();

}  // namespace fuzz
