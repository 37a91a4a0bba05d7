unit U;
interface
resourcestring
  S1 = 'été';
implementation
end.
