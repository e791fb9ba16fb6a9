// Encoding conversion through glibc's iconv.
//
// Encoding names go to iconv_open unchanged. glibc's "GBK" is code page 936 (CP936 and
// WINDOWS-936 are aliases of the same converter), so U+20AC "€" and the single byte 0x80 map
// to each other in both directions, as on Windows.
#include <iconv.h>

#include <cerrno>
#include <string>

#include "platform/encoding.h"

namespace morvane {

namespace {

// Owns one conversion descriptor.
class IconvHandle {
 public:
  IconvHandle(const std::string& to, const std::string& from)
      : cd_(iconv_open(to.c_str(), from.c_str())) {}
  ~IconvHandle() {
    if (valid()) iconv_close(cd_);
  }
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;

  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

constexpr std::size_t kFailed = static_cast<std::size_t>(-1);

class IconvEncoding final : public Encoding {
 public:
  std::optional<std::string> Convert(std::string_view from, std::string_view to,
                                     std::string_view bytes) override {
    // No //TRANSLIT or //IGNORE: a character the target lacks must fail the whole conversion.
    IconvHandle cd{std::string(to), std::string(from)};
    if (!cd.valid()) return std::nullopt;

    std::string out(bytes.size() * 2 + 16, '\0');
    std::size_t used = 0;
    // iconv never writes through its input pointer; the glibc prototype merely lacks const.
    char* in = const_cast<char*>(bytes.data());
    std::size_t in_left = bytes.size();
    bool flushing = false;
    while (true) {
      char* out_ptr = out.data() + used;
      std::size_t out_left = out.size() - used;
      // After the input, one call with no input writes any closing shift sequence.
      const std::size_t result = flushing ? iconv(cd.get(), nullptr, nullptr, &out_ptr, &out_left)
                                          : iconv(cd.get(), &in, &in_left, &out_ptr, &out_left);
      const int error = errno;
      used = out.size() - out_left;
      if (result == kFailed) {
        if (error != E2BIG) return std::nullopt;  // EILSEQ, EINVAL: invalid or unmappable input
        out.resize(out.size() * 2);
        continue;
      }
      // A count of irreversible conversions means something was substituted.
      if (result != 0) return std::nullopt;
      if (flushing) break;
      flushing = true;
    }
    out.resize(used);
    return out;
  }
};

}  // namespace

std::unique_ptr<Encoding> MakeSystemEncoding() { return std::make_unique<IconvEncoding>(); }

}  // namespace morvane
