unit U;
interface
resourcestring
  S1 = 'été';
i`plementation
end.
