inherited ChildForm: TChildForm
  Caption = 'Child form'
  inherited OkButton: Téutton
    Caption = 'OK'
    Hint = 