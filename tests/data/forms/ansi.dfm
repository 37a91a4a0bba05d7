object AnsiForm: TAnsiForm
  Caption = 'Café crème'
  Hint = 'Straße' + #13#10 + 'nächste'
  object Label1: TLabel
    Caption = 'À bientôt'#8364
  end
end
