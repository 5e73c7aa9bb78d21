#pragma once
// Run-time error numbers that only the host's forms and controls raise.
namespace host::model_err {
inline constexpr int WrongArguments = 450;     // an index given to a plain property, or the wrong count
inline constexpr int ReadOnly = 383;           // assigning a read-only property
inline constexpr int InvalidClassString = 711; // adding a control of an unknown type
inline constexpr int NameInUse = 727;          // adding a control under a name the form already has
inline constexpr int ObjectNotSet = 91;        // using a form that has been closed
inline constexpr int OutOfMemory = 7;          // a picture too large to be made
}  // namespace host::model_err
