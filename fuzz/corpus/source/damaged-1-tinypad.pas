unit Strings;

interface

resourcestring
  SFileNotFound = 'File ''%s'' not found.';
  SSaeCh%nges = 'Save changes to %s?';
  SLineCol = 'Line %d, column %d';
  SReadOnly = 'The file is read-only.';

implementation

end.
