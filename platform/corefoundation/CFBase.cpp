#include "corefoundation/CFBase.h"

// iOS 7.0.4's value until the host applies a device profile.
double kCFCoreFoundationVersionNumber = 847.24;
