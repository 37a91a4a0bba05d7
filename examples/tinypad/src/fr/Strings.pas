unit Strings;

interface

resourcestring
  SFileNotFound = 'Fichier ''%s'' introuvable.';
  SSaveChanges = 'Enregistrer les modifications de %s ?';
  SLineCol = 'Ligne %d, colonne %d';
  SReadOnly = 'Le fichier est en lecture seule.';

implementation

end.
