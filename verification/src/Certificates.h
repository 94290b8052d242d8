#pragma once

// The signer's certificate: whom it names (ICP-Brasil), when it was valid, and its chain up to
// the roots the user supplies.

#include <openssl/x509.h>

#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Verification.h"

namespace verification {

struct FreeX509 {
  void operator()(X509* certificate) const { X509_free(certificate); }
};
using X509Ptr = std::unique_ptr<X509, FreeX509>;

// The content of an X509Certificate element (base64 of the DER, line breaks allowed); null when it
// is no certificate.
X509Ptr ReadCertificate(std::u16string_view base64);

// The holder's CNPJ or CPF and the validity period.
Certificate Describe(X509* certificate);

bool ValidAt(X509* certificate, std::time_t moment);

// Validated against the certificates of the folder (self-signed ones are the roots) at that moment;
// sets the chain fields of the description.
void CheckChain(X509* certificate, const std::filesystem::path& folder, std::time_t moment, Certificate& described);

// "AAAA-MM-DDThh:mm:ss" with an optional "Z" or "±hh:mm" (none: UTC).
std::optional<std::time_t> ParseDateTime(std::u16string_view text);

}  // namespace verification
