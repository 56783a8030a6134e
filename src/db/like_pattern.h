// LIKE as the production database (SQL Server) reads a pattern: % any text, _ any one character,
// and the character classes [abc], [a-f] and [^...]; a '[' that no ']' closes is a character.
// Letters compare without regard to ASCII case, as in the case-insensitive collations of ERP
// databases. SQLite's LIKE is replaced by LikeMatches (db/sqlite/), and MariaDB reads a pattern
// with a class as the regular expression LikeAsRegex makes of it, so that one request exports
// the same rows on every database.
#pragma once

#include <string>
#include <string_view>

namespace db {

bool LikeMatches(std::string_view pattern, std::string_view text);
// Whether the pattern holds a character class (which only SQL Server's LIKE reads as one).
bool HasCharacterClass(std::string_view pattern);
// A regular expression (PCRE, as MariaDB's REGEXP reads it) matching what the pattern matches,
// from the text's start to its end; it needs a session that reads a backslash in a literal as a
// character (the MariaDB dialect's).
std::string LikeAsRegex(std::string_view pattern);

}  // namespace db
