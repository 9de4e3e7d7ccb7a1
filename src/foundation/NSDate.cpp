#include "foundation/NSDate.h"

objc::StrongRef<NSDate> NSDate::dateWithTimeIntervalSinceReferenceDate(double seconds) { return objc::make<NSDate>(seconds); }
