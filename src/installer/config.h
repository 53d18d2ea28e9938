// The vendor's addresses, set by the build (CMake cache variables).
#pragma once
#include <string>

// The product's web site as named in messages, e.g. "www.example.com".
inline std::string product_web_site() { return VANTREL_WEB_SITE; }
// The page where a newer installer can be downloaded.
inline std::string product_download_page() { return "https://" + product_web_site() + "/download/"; }
// The online store page of the store button.
inline std::string product_store_page() { return VANTREL_STORE_URL; }
