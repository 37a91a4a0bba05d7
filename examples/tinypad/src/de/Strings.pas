unit Strings;

interface

resourcestring
  SFileNotFound = 'Datei ''%s'' nicht gefunden.';
  SSaveChanges = 'Änderungen an %s speichern?';
  SLineCol = 'Zeile %d, Spalte %d';
  SReadOnly = 'Die Datei ist schreibgeschützt.';

implementation

end.
