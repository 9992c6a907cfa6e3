#include "win/sha256.h"

#include <windows.h>

#include <algorithm>

#include "win/module_path.h"

namespace {

// bcrypt's entry points, looked up once; linking it would let the loader search for it.
using BCRYPT_HANDLE = void*;
using OpenAlgorithm = LONG(WINAPI*)(BCRYPT_HANDLE*, LPCWSTR, LPCWSTR, ULONG);
using CloseAlgorithm = LONG(WINAPI*)(BCRYPT_HANDLE, ULONG);
using CreateHash = LONG(WINAPI*)(BCRYPT_HANDLE, BCRYPT_HANDLE*, PUCHAR, ULONG, PUCHAR, ULONG, ULONG);
using HashData = LONG(WINAPI*)(BCRYPT_HANDLE, PUCHAR, ULONG, ULONG);
using FinishHash = LONG(WINAPI*)(BCRYPT_HANDLE, PUCHAR, ULONG, ULONG);
using DestroyHash = LONG(WINAPI*)(BCRYPT_HANDLE);

struct BCrypt {
  OpenAlgorithm open = nullptr;
  CloseAlgorithm close = nullptr;
  CreateHash create = nullptr;
  HashData hash = nullptr;
  FinishHash finish = nullptr;
  DestroyHash destroy = nullptr;
  bool ok() const { return open && close && create && hash && finish && destroy; }
};

const BCrypt& Functions() {
  static const BCrypt functions = [] {
    BCrypt f;
    if (HMODULE module = ModulePath::LoadSystemLibrary(L"bcrypt.dll")) {
      f.open = reinterpret_cast<OpenAlgorithm>(reinterpret_cast<void*>(::GetProcAddress(module, "BCryptOpenAlgorithmProvider")));
      f.close = reinterpret_cast<CloseAlgorithm>(reinterpret_cast<void*>(::GetProcAddress(module, "BCryptCloseAlgorithmProvider")));
      f.create = reinterpret_cast<CreateHash>(reinterpret_cast<void*>(::GetProcAddress(module, "BCryptCreateHash")));
      f.hash = reinterpret_cast<HashData>(reinterpret_cast<void*>(::GetProcAddress(module, "BCryptHashData")));
      f.finish = reinterpret_cast<FinishHash>(reinterpret_cast<void*>(::GetProcAddress(module, "BCryptFinishHash")));
      f.destroy = reinterpret_cast<DestroyHash>(reinterpret_cast<void*>(::GetProcAddress(module, "BCryptDestroyHash")));
    }
    return f;
  }();
  return functions;
}

}  // namespace

std::optional<Sha256::Digest> Sha256::Of(const std::uint8_t* data, std::size_t size) {
  const BCrypt& f = Functions();
  if (!f.ok()) return std::nullopt;
  BCRYPT_HANDLE algorithm = nullptr;
  if (f.open(&algorithm, L"SHA256", nullptr, 0) < 0) return std::nullopt;
  std::optional<Digest> result;
  BCRYPT_HANDLE hash = nullptr;
  if (f.create(algorithm, &hash, nullptr, 0, nullptr, 0, 0) >= 0) {
    bool ok = true;
    // BCryptHashData takes a ULONG length: large inputs go in pieces.
    for (std::size_t done = 0; ok && done < size;) {
      const ULONG piece = static_cast<ULONG>(std::min<std::size_t>(size - done, 1u << 30));
      ok = f.hash(hash, const_cast<PUCHAR>(data + done), piece, 0) >= 0;
      done += piece;
    }
    Digest digest{};
    if (ok && f.finish(hash, digest.data(), static_cast<ULONG>(digest.size()), 0) >= 0) result = digest;
    f.destroy(hash);
  }
  f.close(algorithm, 0);
  return result;
}

std::string Sha256::Hex(const Digest& digest) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (const std::uint8_t byte : digest) {
    text.push_back(kDigits[byte >> 4]);
    text.push_back(kDigits[byte & 15]);
  }
  return text;
}
