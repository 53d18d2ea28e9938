// The licence agreement.
#include "installer/licence.h"

const std::string& licence_text() {
  static const std::string text =
      "VANTREL END-USER LICENCE AGREEMENT\n\n"
      "This agreement is between you and the publisher of the Vantrel flight simulator. By installing, copying "
      "or using Vantrel you agree to it. If you do not agree, do not install Vantrel.\n\n"
      "1. Licence. You may install and use one copy of Vantrel on the computers you own or control, for your "
      "own personal, educational or commercial flying. You may make backup copies of the installed files.\n\n"
      "2. Restrictions. You may not sell, rent or lend Vantrel, remove its notices, or pass it off as your own. "
      "Scenery, aircraft and other content you create with Vantrel are yours.\n\n"
      "3. Not for real-world navigation. Vantrel is a simulation. Its charts, procedures and aircraft models are "
      "for entertainment and training practice only and must never be used to navigate or operate a real "
      "aircraft.\n\n"
      "4. Updates. The installer downloads the files of the current release from the publisher's mirror servers "
      "and replaces outdated files in the folder you choose. It asks before it replaces or deletes a file that "
      "you have changed.\n\n"
      "5. No warranty. Vantrel is provided as it is, without any warranty. To the extent the law allows, the "
      "publisher is not liable for any damage arising from its use.\n\n"
      "6. Ending. This licence ends if you break its terms; you must then delete your copies of Vantrel.";
  return text;
}
