#include "Certificates.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <cctype>
#include <system_error>
#include <vector>

#include "Dom.h"

namespace verification {

namespace {

constexpr const char* kCnpjName = "2.16.76.1.3.3";
constexpr const char* kPersonName = "2.16.76.1.3.1";  // birth date (8), then the CPF (11)

struct FreeNames {
  void operator()(GENERAL_NAMES* names) const { GENERAL_NAMES_free(names); }
};
struct FreeStore {
  void operator()(X509_STORE* store) const { X509_STORE_free(store); }
};
struct FreeContext {
  void operator()(X509_STORE_CTX* context) const { X509_STORE_CTX_free(context); }
};
struct FreeStack {
  void operator()(STACK_OF(X509) * stack) const { sk_X509_pop_free(stack, X509_free); }
};
struct FreeBio {
  void operator()(BIO* bio) const { BIO_free(bio); }
};

std::string Digits(std::string_view text) {
  std::string digits;
  for (char c : text) {
    if (std::isalnum(static_cast<unsigned char>(c))) digits += c;
  }
  return digits;
}

// The value of an ICP-Brasil otherName: an octet or character string.
std::string OtherNameText(const OTHERNAME* name) {
  const ASN1_TYPE* value = name->value;
  switch (value->type) {
    case V_ASN1_OCTET_STRING:
    case V_ASN1_UTF8STRING:
    case V_ASN1_PRINTABLESTRING:
    case V_ASN1_IA5STRING: {
      const ASN1_STRING* text = value->value.asn1_string;
      return std::string(reinterpret_cast<const char*>(ASN1_STRING_get0_data(text)), ASN1_STRING_length(text));
    }
    default: return {};
  }
}

std::optional<std::string> OtherName(X509* certificate, const char* oid) {
  std::unique_ptr<GENERAL_NAMES, FreeNames> names(
      static_cast<GENERAL_NAMES*>(X509_get_ext_d2i(certificate, NID_subject_alt_name, nullptr, nullptr)));
  for (int i = 0; names && i < sk_GENERAL_NAME_num(names.get()); ++i) {
    const GENERAL_NAME* name = sk_GENERAL_NAME_value(names.get(), i);
    if (name->type != GEN_OTHERNAME) continue;
    char found[80];
    OBJ_obj2txt(found, sizeof found, name->d.otherName->type_id, 1);
    if (std::string_view(found) == oid) return OtherNameText(name->d.otherName);
  }
  return std::nullopt;
}

std::string CommonName(X509* certificate) {
  char name[512] = {};
  X509_NAME_get_text_by_NID(X509_get_subject_name(certificate), NID_commonName, name, sizeof name);
  return name;
}

std::string IsoTime(const ASN1_TIME* time) {
  std::tm parts{};
  if (!time || ASN1_TIME_to_tm(time, &parts) != 1) return {};
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
  return text;
}

// Every certificate a file holds: PEM (one or many) or DER.
std::vector<X509Ptr> CertificatesIn(const std::filesystem::path& file) {
  std::vector<X509Ptr> found;
  std::unique_ptr<BIO, FreeBio> bio(BIO_new_file(file.c_str(), "rb"));
  if (!bio) return found;
  while (X509* certificate = PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr)) found.emplace_back(certificate);
  if (!found.empty()) return found;
  BIO_reset(bio.get());
  if (X509* certificate = d2i_X509_bio(bio.get(), nullptr)) found.emplace_back(certificate);
  return found;
}

std::string ChainProblem(int error) {
  switch (error) {
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
      return "a cadeia não chega a uma raiz da pasta informada";
    case X509_V_ERR_CERT_HAS_EXPIRED:
    case X509_V_ERR_CERT_NOT_YET_VALID:
      return "um certificado da cadeia não era válido na data de emissão";
    case X509_V_ERR_CERT_SIGNATURE_FAILURE: return "a assinatura de um certificado da cadeia não confere";
    default: return std::string("cadeia inválida (") + X509_verify_cert_error_string(error) + ")";
  }
}

}  // namespace

X509Ptr ReadCertificate(std::u16string_view base64) {
  std::string text;
  for (char16_t c : base64) {
    if (c > 0x7f) return nullptr;
    if (!std::isspace(static_cast<unsigned char>(c))) text += static_cast<char>(c);
  }
  if (text.empty() || text.size() % 4 != 0) return nullptr;
  std::vector<unsigned char> der(text.size() / 4 * 3 + 1);
  const int length = EVP_DecodeBlock(der.data(), reinterpret_cast<const unsigned char*>(text.data()),
                                     static_cast<int>(text.size()));
  if (length <= 0) return nullptr;
  const unsigned char* cursor = der.data();
  return X509Ptr(d2i_X509(nullptr, &cursor, length));
}

Certificate Describe(X509* certificate) {
  Certificate described;
  described.read = true;
  described.validFrom = IsoTime(X509_get0_notBefore(certificate));
  described.validUntil = IsoTime(X509_get0_notAfter(certificate));
  if (auto cnpj = OtherName(certificate, kCnpjName)) {
    described.holderKind = "CNPJ";
    described.holderId = Digits(*cnpj);
  } else if (auto person = OtherName(certificate, kPersonName); person && person->size() >= 19) {
    described.holderKind = "CPF";
    described.holderId = person->substr(8, 11);
  } else {
    const std::string name = CommonName(certificate);
    const size_t colon = name.rfind(':');
    const std::string ending = colon == std::string::npos ? "" : Digits(name.substr(colon + 1));
    if (ending.size() == 14 || ending.size() == 11) {
      described.holderKind = ending.size() == 14 ? "CNPJ" : "CPF";
      described.holderId = ending;
    }
  }
  return described;
}

bool ValidAt(X509* certificate, std::time_t moment) {
  std::time_t at = moment;
  return X509_cmp_time(X509_get0_notBefore(certificate), &at) <= 0 &&
         X509_cmp_time(X509_get0_notAfter(certificate), &at) >= 0;
}

void CheckChain(X509* certificate, const std::filesystem::path& folder, std::time_t moment, Certificate& described) {
  std::unique_ptr<X509_STORE, FreeStore> store(X509_STORE_new());
  std::unique_ptr<STACK_OF(X509), FreeStack> intermediates(sk_X509_new_null());
  int roots = 0;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (!entry.is_regular_file(error)) continue;
    for (X509Ptr& found : CertificatesIn(entry.path())) {
      if (X509_check_issued(found.get(), found.get()) == X509_V_OK) {
        X509_STORE_add_cert(store.get(), found.get());
        ++roots;
      } else {
        sk_X509_push(intermediates.get(), found.release());
      }
    }
  }
  described.chain = Chain::Invalid;
  if (error || roots == 0) {
    described.chainProblem = "a pasta " + folder.string() + " não tem nenhum certificado raiz";
    return;
  }
  std::unique_ptr<X509_STORE_CTX, FreeContext> context(X509_STORE_CTX_new());
  X509_STORE_CTX_init(context.get(), store.get(), certificate, intermediates.get());
  X509_STORE_CTX_set_time(context.get(), 0, moment);
  if (X509_verify_cert(context.get()) == 1) {
    described.chain = Chain::Valid;
  } else {
    described.chainProblem = ChainProblem(X509_STORE_CTX_get_error(context.get()));
  }
}

std::optional<std::time_t> ParseDateTime(std::u16string_view text) {
  const std::string value = Utf8(text);
  std::tm parts{};
  int consumed = 0;
  if (std::sscanf(value.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%n", &parts.tm_year, &parts.tm_mon, &parts.tm_mday,
                  &parts.tm_hour, &parts.tm_min, &parts.tm_sec, &consumed) != 6) {
    return std::nullopt;
  }
  parts.tm_year -= 1900;
  parts.tm_mon -= 1;
  std::time_t moment = timegm(&parts);
  const std::string zone = value.substr(static_cast<size_t>(consumed));
  int hours = 0, minutes = 0;
  char sign = 0;
  if (std::sscanf(zone.c_str(), "%c%2d:%2d", &sign, &hours, &minutes) == 3 && (sign == '+' || sign == '-')) {
    moment -= (sign == '+' ? 1 : -1) * (hours * 3600 + minutes * 60);
  }
  return moment;
}

}  // namespace verification
