#13# UÃ const }*)Ucrlf ;; crlfÃ const
 }} #+{' resourcestring const ' Ã implementation} 
#${ ; U = : crlf deprecated deprecated 'ÿstring