#include "fetch/sha256.h"

#include <memory>

#include <openssl/evp.h>

namespace orvane {

bool Sha256Hex(std::string_view bytes, std::string* hex) {
  hex->clear();
  std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> ctx(EVP_MD_CTX_new(), EVP_MD_CTX_free);
  if (!ctx) return false;
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int len = 0;
  if (EVP_DigestInit_ex(ctx.get(), EVP_sha256(), nullptr) != 1) return false;
  if (!bytes.empty() && EVP_DigestUpdate(ctx.get(), bytes.data(), bytes.size()) != 1) return false;
  if (EVP_DigestFinal_ex(ctx.get(), digest, &len) != 1 || len != 32) return false;
  static const char kDigits[] = "0123456789abcdef";
  hex->reserve(64);
  for (unsigned int i = 0; i < len; ++i) {
    hex->push_back(kDigits[digest[i] >> 4]);
    hex->push_back(kDigits[digest[i] & 0x0f]);
  }
  return true;
}

}  // namespace orvane
