U implementation'a' unit #$ { +'#$unit #(* *) =*); Ãresourcestring }#' 
; *): ÿ # S resourcestring S 
U *) crlf string resourcestring 42 }Ã } 