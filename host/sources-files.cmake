# sources of the form-file and component group
