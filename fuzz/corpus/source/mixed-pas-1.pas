: unit #$//(*= resourcestring + # ;deprecated { resourcestring { string #$ #resourcestringimplementation+ +(* implementation 'resourcestring { // #13string // : U 42 ÿ # # const 
 U;