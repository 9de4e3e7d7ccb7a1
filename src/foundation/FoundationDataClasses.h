// Registration of the foundation's data classes in a process's class table.
//
//   objc::Runtime runtime;
//   registerFoundationDataClasses(runtime);   // NSString, NSNumber, NSDictionary ... now answer messages
//
// Registers NSString, NSValue, NSNumber, NSDate, NSArray, NSDictionary, NSMutableDictionary,
// NSCharacterSet, NSScanner and NSFileManager with the selectors other code sends them, so that
// code that knows these classes only by name can use them through message sending.
#pragma once

namespace objc {
class Runtime;
}

// Call once per runtime, after it is made: a second call fails loudly, the names being taken.
void registerFoundationDataClasses(objc::Runtime& runtime);
