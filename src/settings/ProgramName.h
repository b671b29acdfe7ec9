#pragma once
// The names both programs go by: the program's ("Серия ЗЭ-23"), which names
// the folder of the user's data where the journal is, and the
// organisation's, which names the folder of the preferences.

// Sets both on the application; before anything reads the preferences.
void nameProgram();
