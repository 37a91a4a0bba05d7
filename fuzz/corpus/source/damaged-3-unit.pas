unit Unit1;

interface

resourcestring
 greeting
  SHello = 'Hello' + #13###10 + 'world';
  SCode = #233't'#$E9;
  SQ = 'Itî's';

const
  X = 1;

implementatio