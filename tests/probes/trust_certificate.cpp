// trust_certificate.exe FILE: adds the certificate in FILE (PEM) to the machine's
// trusted roots, as a site's administrator does for the authority that signed
// its own services' certificates. Used on the tests' Wine prefix only.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
#include <windows.h>
// After windows.h, whose types it uses.
#include <wincrypt.h>

int wmain(int argc, wchar_t* argv[]) {
    if (argc != 2)
        return 64;
    std::ifstream file(argv[1], std::ios::binary);
    const std::string pem{std::istreambuf_iterator<char>(file), {}};
    DWORD size = 0;
    if (!::CryptStringToBinaryA(pem.c_str(), DWORD(pem.size()), CRYPT_STRING_BASE64HEADER, nullptr,
                                &size, nullptr, nullptr)) {
        std::fprintf(stderr, "no PEM certificate in the file\n");
        return 1;
    }
    std::vector<BYTE> der(size);
    ::CryptStringToBinaryA(pem.c_str(), DWORD(pem.size()), CRYPT_STRING_BASE64HEADER, der.data(),
                           &size, nullptr, nullptr);
    HCERTSTORE roots =
        ::CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT");
    const bool added =
        roots && ::CertAddEncodedCertificateToStore(roots, X509_ASN_ENCODING, der.data(), size,
                                                    CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    if (!added)
        std::fprintf(stderr, "the certificate was not added (error %lu)\n", ::GetLastError());
    if (roots)
        ::CertCloseStore(roots, 0);
    return added ? 0 : 1;
}
