// One-integer records the toolkit keeps in a drawing: an xrecord filed in a sub-dictionary of the
// drawing's named-objects dictionary.
#pragma once

namespace cadastral {

// True when the working drawing holds the record; the value is the integer of its first item (left
// alone when the record holds none).
bool ReadDictionaryRecord(const char* dictionary, const char* record, int& value);
// Makes the sub-dictionary and the record where missing and replaces the record's data by one item
// of group 90 holding the value. False when the drawing cannot be opened for it or refuses the data.
bool WriteDictionaryRecord(const char* dictionary, const char* record, int value);

}  // namespace cadastral
