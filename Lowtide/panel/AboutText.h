// The about box's text: five paragraphs, one empty line between each.
#pragma once

namespace lowtide {

inline constexpr const char* kAboutText =
    "Tunely is made and owned by the Tunely project.\n"
    "\n"
    "I am not responsible for any damage this software may do to your ears, device, etc.\n"
    "\n"
    "Please send problem reports by mail to support@tunely.example.\n"
    "\n"
    "Thanks to the Tunely testers for their ears and their patience.\n"
    "\n"
    "https://tunely.example/";

}  // namespace lowtide
