// The browser's record in the drawing: a byte image kept in an xrecord filed under a key of a
// dictionary below the drawing's named-objects dictionary. The data list is group 90 with the
// image's length, then the image in group-310 chunks of at most 255 bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// Files the image under the key (creating the dictionary when missing), replacing any record
// already there. False when the dictionaries cannot be opened for writing.
bool WriteIndexXrecord(const char* dictionaryName, const char* key, const std::uint8_t* bytes, std::size_t length);

// Empties and erases the record under the key; nothing when any piece is missing.
void EraseIndexXrecord(const char* dictionaryName, const char* key);

// The image under the key, or nothing when there is no record or it is damaged (not an xrecord,
// no leading group 90, or chunks that do not add up to its length). `damaged`, when given, tells
// the two apart.
std::optional<std::vector<std::uint8_t>> ReadIndexXrecord(const char* dictionaryName, const char* key,
                                                          bool* damaged = nullptr);
