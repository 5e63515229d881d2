#pragma once

#include <string>
#include <string_view>

// The functions the page access and the form capture call in a document share
// one library of helpers that finds login fields the way the design's rules do
// and, where those find nothing, the way today's pages need:
//
//   fields()            inputs and drop-down lists in document order, those of
//                       open shadow roots where their host stands
//   keyOf(e)            how a record names the field (FieldKeys.h)
//   fieldsFor(key)      the elements a record's key stands for: by name as the
//                       design finds them (sign-up forms left out when a login
//                       form has the same names); else by name in shadow roots;
//                       else, for an id key, the unnamed field with that id; the
//                       position keys give the fields byPosition finds
//   says(e)             what a text field says it is: 'username', 'email',
//                       'other' (a one-time code, an address, a card number ...)
//   isNewPasswordForm(c) a sign-up or change-password form
//   containerOf(pw)     the form of a password field, or the element that stands
//                       for it when there is none (looseFormOf: the nearest
//                       one holding an ID field too)
//   loginPassword()     the first password field not in a sign-up form
//   byPosition(deep)    the design's password field and ID field by position,
//                       with the same extensions
//   idOnlyField(strict) the ID field of a page without a password field, when
//                       it starts a login (startsLogin: not in a form that
//                       subscribes, searches or resets a password)
//   reportedType(e)     InputTypes.h
//
// Every function is written for our own world; focusing runs in the page's
// world and falls back to the design's lookup when the page has changed what
// the library relies on.
namespace web {

// A function to call in a document: "function(<parameters>) {" followed by the
// library and the body.
std::string FieldFunction(std::string_view parameters, std::string_view body);

}  // namespace web
