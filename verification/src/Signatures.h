#pragma once

// The enveloped XML signature over one element (infMDFe, infEvento), as the MDF-e uses it.

#include <string>
#include <vector>

#include "Certificates.h"
#include "Dom.h"

namespace verification {

struct SignatureCheck {
  bool present = false;
  std::vector<std::string> reasons;  // empty: the signature confers
  std::u16string digestValue;        // as written, blanks removed
  X509Ptr certificate;               // the signer's, when it could be read
};

// The signature beside the element (a child of the same parent). Santuario does the
// canonicalisation and the cryptography; what it may be asked to do is checked first: one
// same-document reference to the element, the two transforms of the MDF-e, known algorithms, the
// key from the certificate only.
SignatureCheck CheckSignature(xml::DOMDocument* document, xml::DOMElement* signedElement);

}  // namespace verification
