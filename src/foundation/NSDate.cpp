#include "foundation/NSDate.h"

objc::Ref<NSDate> NSDate::dateWithTimeIntervalSinceReferenceDate(double seconds) { return objc::make<NSDate>(seconds); }
