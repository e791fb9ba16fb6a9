// Encoding conversion through MultiByteToWideChar and WideCharToMultiByte, with UTF-16 in the
// middle.
//
// Names, compared without regard to ASCII case: "GBK" (also "CP936"), code page 936; "UTF-8";
// "UTF-16LE", the wide form itself; "ASCII" (also "US-ASCII"), code page 20127. Other names fail.
//
// Every conversion fails as a whole rather than substitute: decoding asks for
// MB_ERR_INVALID_CHARS, encoding to UTF-8 for WC_ERR_INVALID_CHARS, and encoding to any other
// code page for WC_NO_BEST_FIT_CHARS with the default-character flag checked afterwards.
#include <cctype>
#include <cstring>
#include <limits>

#include "platform/encoding.h"
#include "platform/win32/win32_api.h"

namespace morvane {

namespace {

// The wide form stands for UTF-16LE; 1200 is its code-page number.
constexpr UINT kUtf16Le = 1200;

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

std::optional<UINT> CodePageOf(std::string_view name) {
  if (SameName(name, "GBK") || SameName(name, "CP936")) return 936;
  if (SameName(name, "UTF-8")) return CP_UTF8;
  if (SameName(name, "UTF-16LE")) return kUtf16Le;
  if (SameName(name, "ASCII") || SameName(name, "US-ASCII")) return 20127;
  return std::nullopt;
}

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// True when every surrogate stands in a high-low pair.
bool WellFormedUtf16(const std::wstring& wide) {
  for (std::size_t i = 0; i < wide.size(); ++i) {
    if (IsHighSurrogate(wide[i])) {
      if (i + 1 == wide.size() || !IsLowSurrogate(wide[i + 1])) return false;
      ++i;
    } else if (IsLowSurrogate(wide[i])) {
      return false;
    }
  }
  return true;
}

std::optional<std::wstring> Decode(UINT code_page, std::string_view bytes) {
  if (code_page == kUtf16Le) {
    if (bytes.size() % 2 != 0) return std::nullopt;
    std::wstring wide(bytes.size() / 2, L'\0');
    std::memcpy(wide.data(), bytes.data(), bytes.size());
    return wide;
  }
  if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) return std::nullopt;
  const int in_size = static_cast<int>(bytes.size());
  const int needed =
      ::MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes.data(), in_size, nullptr, 0);
  if (needed <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(needed), L'\0');
  const int written = ::MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes.data(), in_size,
                                            wide.data(), needed);
  if (written != needed) return std::nullopt;
  return wide;
}

std::optional<std::string> Encode(UINT code_page, const std::wstring& wide) {
  if (code_page == kUtf16Le) {
    if (!WellFormedUtf16(wide)) return std::nullopt;
    std::string bytes(wide.size() * 2, '\0');
    std::memcpy(bytes.data(), wide.data(), bytes.size());
    return bytes;
  }
  if (wide.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) return std::nullopt;
  const int in_size = static_cast<int>(wide.size());
  // UTF-8 reports invalid input itself and must be given no default-character arguments; every
  // other code page reports an unmappable character only through the default-character flag.
  const bool utf8 = code_page == CP_UTF8;
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL used_default = FALSE;
  BOOL* used_default_arg = utf8 ? nullptr : &used_default;
  const int needed = ::WideCharToMultiByte(code_page, flags, wide.data(), in_size, nullptr, 0,
                                           nullptr, used_default_arg);
  if (needed <= 0 || used_default) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(needed), '\0');
  const int written = ::WideCharToMultiByte(code_page, flags, wide.data(), in_size, bytes.data(),
                                            needed, nullptr, used_default_arg);
  if (written != needed || used_default) return std::nullopt;
  return bytes;
}

class Win32Encoding final : public Encoding {
 public:
  std::optional<std::string> Convert(std::string_view from, std::string_view to,
                                     std::string_view bytes) override {
    const std::optional<UINT> from_page = CodePageOf(from);
    const std::optional<UINT> to_page = CodePageOf(to);
    if (!from_page || !to_page) return std::nullopt;
    // The conversion functions refuse an empty input; it converts to the empty output.
    if (bytes.empty()) return std::string();
    const std::optional<std::wstring> wide = Decode(*from_page, bytes);
    if (!wide) return std::nullopt;
    return Encode(*to_page, *wide);
  }
};

}  // namespace

std::unique_ptr<Encoding> MakeSystemEncoding() { return std::make_unique<Win32Encoding>(); }

}  // namespace morvane
