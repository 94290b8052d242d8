#include "Signatures.h"

#include <xsec/dsig/DSIGReference.hpp>
#include <xsec/dsig/DSIGReferenceList.hpp>
#include <xsec/dsig/DSIGSignature.hpp>
#include <xsec/enc/OpenSSL/OpenSSLCryptoKeyRSA.hpp>
#include <xsec/enc/XSECCryptoException.hpp>
#include <xsec/framework/XSECException.hpp>
#include <xsec/framework/XSECProvider.hpp>
#include <xsec/utils/XSECPlatformUtils.hpp>

#include <openssl/evp.h>

#include <algorithm>
#include <array>
#include <mutex>

namespace verification {

namespace {

constexpr std::u16string_view kC14n = u"http://www.w3.org/TR/2001/REC-xml-c14n-20010315";
constexpr std::u16string_view kEnveloped = u"http://www.w3.org/2000/09/xmldsig#enveloped-signature";
constexpr std::array<std::u16string_view, 2> kSignatureMethods = {
    u"http://www.w3.org/2000/09/xmldsig#rsa-sha1", u"http://www.w3.org/2001/04/xmldsig-more#rsa-sha256"};
constexpr std::array<std::u16string_view, 2> kDigestMethods = {u"http://www.w3.org/2000/09/xmldsig#sha1",
                                                                u"http://www.w3.org/2001/04/xmlenc#sha256"};

void EnsureSantuarioInitialized() {
  // Never terminated, like Xerces: a verdict may be asked for at any time.
  static std::once_flag once;
  std::call_once(once, [] { XSECPlatformUtils::Initialise(); });
}

template <size_t N>
bool OneOf(std::u16string_view value, const std::array<std::u16string_view, N>& allowed) {
  return std::find(allowed.begin(), allowed.end(), value) != allowed.end();
}

std::u16string WithoutBlanks(std::u16string text) {
  std::erase_if(text, [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; });
  return text;
}

bool ContainsElement(const xml::DOMElement* root, std::u16string_view localName) {
  xml::DOMNodeList* found = root->getElementsByTagNameNS(u"*", std::u16string(localName).c_str());
  return found && found->getLength() > 0;
}

// The faults that keep a signature from being checked at all, or checked as the MDF-e means it.
std::vector<std::string> ShapeFaults(const xml::DOMElement* signature, const xml::DOMElement* signedElement) {
  std::vector<std::string> faults;
  const xml::DOMElement* signedInfo = Child(signature, u"SignedInfo");
  if (!signedInfo) return {"assinatura malformada: falta SignedInfo"};
  if (Attribute(Child(signedInfo, u"CanonicalizationMethod"), u"Algorithm") != kC14n) {
    faults.push_back("algoritmo de canonicalização desconhecido: " +
                     Utf8(Attribute(Child(signedInfo, u"CanonicalizationMethod"), u"Algorithm")));
  }
  const std::u16string method = Attribute(Child(signedInfo, u"SignatureMethod"), u"Algorithm");
  if (!OneOf(method, kSignatureMethods)) faults.push_back("algoritmo de assinatura desconhecido: " + Utf8(method));
  const std::vector<xml::DOMElement*> references = Children(signedInfo, u"Reference");
  if (references.size() != 1) {
    faults.push_back("a assinatura tem " + std::to_string(references.size()) + " referências; deve ter uma");
    return faults;
  }
  const xml::DOMElement* reference = references.front();
  const std::u16string uri = Attribute(reference, u"URI");
  const std::u16string id = Attribute(signedElement, u"Id");
  if (id.empty() || uri != u"#" + id) {
    faults.push_back("a assinatura se refere a \"" + Utf8(uri) + "\", não ao Id de " +
                     Utf8(View(signedElement->getLocalName())) + " (\"" + Utf8(id) + "\")");
  }
  std::vector<std::u16string> transforms;
  for (const xml::DOMElement* transform : Children(Child(reference, u"Transforms"), u"Transform")) {
    transforms.push_back(Attribute(transform, u"Algorithm"));
  }
  if (transforms != std::vector<std::u16string>{std::u16string(kEnveloped), std::u16string(kC14n)}) {
    faults.push_back("transformações da referência diferentes de enveloped-signature e C14N 1.0");
  }
  const std::u16string digest = Attribute(Child(reference, u"DigestMethod"), u"Algorithm");
  if (!OneOf(digest, kDigestMethods)) faults.push_back("algoritmo de resumo desconhecido: " + Utf8(digest));
  if (ContainsElement(signature, u"RetrievalMethod")) faults.push_back("a assinatura usa RetrievalMethod");
  return faults;
}

xml::DOMElement* SignatureBeside(const xml::DOMElement* signedElement) {
  for (xml::DOMElement* candidate : Children(signedElement->getParentNode(), u"Signature")) {
    if (View(candidate->getNamespaceURI()) == kSignatureNamespace) return candidate;
  }
  return nullptr;
}

struct ReleaseSignature {
  XSECProvider* provider;
  void operator()(DSIGSignature* signature) const { provider->releaseSignature(signature); }
};

// Digest and signature value through Santuario; the element is made the one its Id names, so no
// other element with that Id can stand in for it.
std::vector<std::string> CryptographicFaults(xml::DOMDocument* document, xml::DOMElement* signature,
                                             xml::DOMElement* signedElement, X509* certificate) {
  EnsureSantuarioInitialized();
  EVP_PKEY* key = X509_get0_pubkey(certificate);
  if (!key || EVP_PKEY_base_id(key) != EVP_PKEY_RSA) return {"a chave do certificado não é RSA"};
  signedElement->setIdAttribute(u"Id", true);
  XSECProvider provider;
  std::vector<std::string> faults;
  try {
    std::unique_ptr<DSIGSignature, ReleaseSignature> checked(provider.newSignatureFromDOM(document, signature),
                                                             ReleaseSignature{&provider});
    checked->setIdByAttributeName(false);
    checked->load();
    checked->setSigningKey(new OpenSSLCryptoKeyRSA(key));
    if (!checked->getReferenceList()->item(0)->checkHash()) {
      faults.push_back("o conteúdo de " + Utf8(View(signedElement->getLocalName())) +
                       " foi alterado depois de assinado (DigestValue não confere)");
    }
    if (!checked->verifySignatureOnly()) {
      faults.push_back("o valor da assinatura (SignatureValue) não confere com o certificado");
    }
  } catch (const XSECException& e) {
    faults.push_back("assinatura malformada: " + Utf8(View(e.getMsg())));
  } catch (const XSECCryptoException& e) {
    faults.push_back(std::string("assinatura malformada: ") + e.getMsg());
  } catch (const xml::DOMException& e) {
    faults.push_back("assinatura malformada: " + Utf8(View(e.getMessage())));
  }
  return faults;
}

}  // namespace

SignatureCheck CheckSignature(xml::DOMDocument* document, xml::DOMElement* signedElement) {
  SignatureCheck check;
  xml::DOMElement* signature = SignatureBeside(signedElement);
  if (!signature) {
    check.present = !Children(signedElement->getParentNode(), u"Signature").empty();
    if (check.present) check.reasons.push_back("a assinatura não está no namespace do XML-DSig");
    return check;
  }
  check.present = true;
  check.digestValue = WithoutBlanks(TextAt(signature, {u"SignedInfo", u"Reference", u"DigestValue"}));
  check.reasons = ShapeFaults(signature, signedElement);
  const std::vector<xml::DOMElement*> certificates =
      Children(Child(Child(signature, u"KeyInfo"), u"X509Data"), u"X509Certificate");
  if (certificates.empty()) {
    check.reasons.push_back("a assinatura não traz o certificado (KeyInfo/X509Data/X509Certificate)");
    return check;
  }
  check.certificate = ReadCertificate(View(certificates.front()->getTextContent()));
  if (!check.certificate) {
    check.reasons.push_back("o certificado da assinatura (X509Certificate) não pôde ser lido");
    return check;
  }
  if (!check.reasons.empty()) return check;
  check.reasons = CryptographicFaults(document, signature, signedElement, check.certificate.get());
  return check;
}

}  // namespace verification
